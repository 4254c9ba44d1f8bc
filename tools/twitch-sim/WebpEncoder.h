#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace parley::sim {

// Writes WEBP files. Qt's writer makes single images only, so an animation
// is its frames, each encoded by Qt (lossless), put into the animated
// container: VP8X, ANIM and one ANMF chunk per frame.
class WebpEncoder {
public:
    static QByteArray still(const QImage& image);
    // Frames of one size, shown `delayMs` each, looping for ever.
    static QByteArray animated(const QList<QImage>& frames, int delayMs);
};

} // namespace parley::sim
