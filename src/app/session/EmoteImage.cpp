#include "EmoteImage.h"

#include <algorithm>

namespace parley {

EmoteImage EmoteImage::fromDecoded(QImage decoded)
{
    const QSizeF points = decoded.deviceIndependentSize();
    if (decoded.isNull() || points.isEmpty())
        return {};
    const qreal height = std::min(points.height(), maxHeight);
    const qreal width = points.width() / points.height() * height;
    // Only the ratio changes: the pixels stay as decoded.
    decoded.setDevicePixelRatio(decoded.height() / height);
    return { std::move(decoded), QSizeF(width, height), QRectF(0, 0, width, height / 2) };
}

} // namespace parley
