#include "EmoteImageProvider.h"

#include <QUrl>

namespace parley {

EmoteImageProvider::EmoteImageProvider(std::shared_ptr<const EmoteImageStore> store)
    : QQuickImageProvider(QQuickImageProvider::Image), store_(std::move(store))
{ }

QImage EmoteImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    QImage image = store_->image(QUrl::fromPercentEncoding(id.toUtf8())).image;
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

} // namespace parley
