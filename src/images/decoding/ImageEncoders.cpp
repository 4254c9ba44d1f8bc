#include "images/decoding/ImageEncoders.h"

#include <QBuffer>
#include <QImageWriter>

namespace parley::ImageEncoders {

namespace {

QByteArray writerFormat(const AssetType& type)
{
    if (type == AssetType::png())
        return "png";
    if (type == AssetType::jpeg())
        return "jpeg";
    if (type == AssetType::gif())
        return "gif";
    if (type == AssetType::webp())
        return "webp";
    if (type == AssetType::heic())
        return "heic";
    return {};
}

} // namespace

std::optional<QByteArray> Default::encode(const QImage& image) const
{
    AssetType type = image.hasAlphaChannel() ? AssetType::png() : AssetType::jpeg();
    if (isHEIFPreferred && ImageIO::isSupported(AssetType::heic()))
        type = AssetType::heic();
    return ImageIO(type, compressionQuality).encode(image);
}

std::optional<QByteArray> ImageIO::encode(const QImage& image) const
{
    const QByteArray format = writerFormat(type);
    if (image.isNull() || format.isEmpty())
        return std::nullopt;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(qBound(0, int(compressionRatio * 100), 100));
    if (!writer.write(image))
        return std::nullopt;
    return data;
}

bool ImageIO::isSupported(const AssetType& type)
{
    const QByteArray format = writerFormat(type);
    return !format.isEmpty() && QImageWriter::supportedImageFormats().contains(format);
}

} // namespace parley::ImageEncoders
