#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace parley::sim {

// Draws the simulator's emote images: a disc in a colour derived from the
// emote id with a dot whose place depends on the id too, so every emote looks
// different; animated emotes move the dot around. Sizes follow Twitch: 28, 56
// and 112 pixels square for the scales 1.0, 2.0 and 3.0.
class EmoteArt {
public:
    static int pixelSize(const QString& scale); // 0 for an unknown scale

    static QByteArray png(const QString& emoteID, bool dark, int size);
    static QByteArray gif(const QString& emoteID, bool dark, int size);
    // One frame of the animation as an image, for encoders other than GIF.
    static QImage frameImage(const QString& emoteID, bool dark, int size, int index);
    // A still banner `width` wide and `height` high (a wide emote).
    static QByteArray widePng(const QString& emoteID, int width, int height);

    static constexpr int animationFrames = 4;
};

} // namespace parley::sim
