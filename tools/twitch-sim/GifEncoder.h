#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

namespace parley::sim {

// Writes animated GIF89a files (Qt reads GIF but cannot write it). Frames are
// palette indices, row by row; palette index 0 is transparent.
class GifEncoder {
public:
    GifEncoder(int width, int height, QList<QRgb> palette);

    void addFrame(const QByteArray& indices, int delayCentiseconds);
    QByteArray finish();

private:
    void writeImageData(const QByteArray& indices);

    int width_;
    int height_;
    QByteArray out_;
};

} // namespace parley::sim
