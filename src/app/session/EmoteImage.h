#pragma once

#include <QImage>
#include <QMetaType>
#include <QRectF>
#include <QSizeF>

namespace parley {

// One emote image ready to draw inside a line of text. The decoded pixels
// are kept; the image's device pixel ratio makes it at most `maxHeight`
// points high, so it stays sharp on high-density screens.
struct EmoteImage {
    static constexpr qreal maxHeight = 24.0;

    // `decoded` at its own device pixel ratio; a null or empty image gives a
    // null EmoteImage.
    static EmoteImage fromDecoded(QImage decoded);
    // `overlay` drawn over `base`, both centred, as large as the larger of
    // the two; a null part leaves the other alone.
    static EmoteImage stacked(const EmoteImage& base, const EmoteImage& overlay);

    QImage image;
    // The drawn size in points (the image's device-independent size).
    QSizeF size;
    // Where text layout places the image against the line: at the origin,
    // as wide as the image and half as high.
    QRectF alignmentRect;

    bool isNull() const { return image.isNull(); }
};

} // namespace parley

Q_DECLARE_METATYPE(parley::EmoteImage)
