#include "app/session/EmoteImage.h"

#include <QPainter>

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

EmoteImage EmoteImage::stacked(const EmoteImage& base, const EmoteImage& overlay)
{
    if (base.isNull() || overlay.isNull())
        return base.isNull() ? overlay : base;
    const QSizeF size = base.size.expandedTo(overlay.size);
    const qreal ratio = std::max(base.image.devicePixelRatio(), overlay.image.devicePixelRatio());
    QImage canvas((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const EmoteImage* part : { &base, &overlay }) {
        const QPointF origin((size.width() - part->size.width()) / 2, (size.height() - part->size.height()) / 2);
        painter.drawImage(QRectF(origin, part->size), part->image);
    }
    painter.end();
    return { std::move(canvas), size, QRectF(0, 0, size.width(), size.height() / 2) };
}

} // namespace parley
