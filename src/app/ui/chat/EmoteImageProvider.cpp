#include "app/ui/chat/EmoteImageProvider.h"

#include <QUrl>

namespace parley {

EmoteImageProvider::EmoteImageProvider(std::shared_ptr<const EmoteImageStore> store)
    : QQuickImageProvider(QQuickImageProvider::Image), store_(std::move(store))
{ }

QImage EmoteImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const QString key = QUrl::fromPercentEncoding(id.toUtf8());
    QImage image = store_->image(key.startsWith(blankPrefix) ? key.sliced(blankPrefix.size()) : key).image;
    // An animated emote's place in the text: the item playing it is drawn over it.
    if (key.startsWith(blankPrefix) && !image.isNull()) {
        QImage blank(image.size(), QImage::Format_ARGB32_Premultiplied);
        blank.setDevicePixelRatio(image.devicePixelRatio());
        blank.fill(Qt::transparent);
        image = std::move(blank);
    }
    if (!image.isNull() && requestedSize.isValid() && requestedSize != image.size())
        image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}

QUrl EmoteImageProvider::url(const QString& emoteID)
{
    return QUrl(QStringLiteral("image://%1/%2")
                    .arg(QLatin1String(providerID), QString::fromLatin1(QUrl::toPercentEncoding(emoteID))));
}

QUrl EmoteImageProvider::blankURL(const QString& emoteID)
{
    return url(blankPrefix + emoteID);
}

} // namespace parley
