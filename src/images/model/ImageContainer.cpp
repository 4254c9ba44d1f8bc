#include "images/model/ImageContainer.h"

namespace parley {

const QString ImageContainer::scanNumberKey = QStringLiteral("parley.imageContainer.scanNumber");
const QString ImageContainer::skipDecompressionKey = QStringLiteral("parley.imageContainer.skipDecompression");

ImageContainer::ImageContainer(
    QImage image, std::optional<AssetType> type, bool isPreview, std::optional<QByteArray> data, UserInfo userInfo)
    : d(new Storage)
{
    d->image = std::move(image);
    d->type = std::move(type);
    d->isPreview = isPreview;
    d->data = std::move(data);
    d->userInfo = std::move(userInfo);
}

qint64 ImageContainer::cost() const
{
    const qint64 dataCost = d->data ? d->data->size() : 0;
    if (d->image.isNull())
        return dataCost + 1;
    return dataCost + qint64(d->image.bytesPerLine()) * d->image.height();
}

} // namespace parley
