#include "images/decoding/ImageDecoders.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace parley::ImageDecoders {

namespace {

// The size a thumbnail of an image of `size` gets: fitted into (or filling)
// the target, never enlarged. Qt's readers offer no embedded thumbnails, so
// every thumbnail is made from the image itself.
QSize thumbnailSize(QSize size, const ImageRequest::ThumbnailOptions& options)
{
    using Options = ImageRequest::ThumbnailOptions;
    double factor = 1;
    if (const auto* fixed = std::get_if<Options::Fixed>(&options.targetSize)) {
        factor = fixed->maxPixelSize / std::max(size.width(), size.height());
    } else {
        const auto& flexible = std::get<Options::Flexible>(options.targetSize);
        const double w = flexible.size.width() / size.width();
        const double h = flexible.size.height() / size.height();
        factor = flexible.contentMode == Options::ContentMode::aspectFit ? std::min(w, h) : std::max(w, h);
    }
    factor = std::min(factor, 1.0);
    return QSize(
        std::max(1, int(std::lround(size.width() * factor))), std::max(1, int(std::lround(size.height() * factor))));
}

// An extended WEBP whose header sets the animation flag.
bool isAnimatedWebP(const QByteArray& data)
{
    return AssetType::detect(data) == AssetType::webp() && data.size() > 20 &&
        QByteArrayView(data).sliced(12, 4) == "VP8X" && (data.at(20) & 0x02);
}

} // namespace

std::shared_ptr<Default> Default::make(const ImageDecodingContext& context)
{
    if (!context.isCompleted) {
        const auto type = AssetType::detect(context.data);
        const bool canPreview = type == AssetType::gif() ||
            (type == AssetType::jpeg() && ProgressiveJPEGScanner::isProgressive(context.data) == true);
        if (!canPreview)
            return nullptr;
    }
    return std::make_shared<Default>(context.request.scale(), context.request.thumbnail());
}

Default::Default(std::optional<float> scale, std::optional<ImageRequest::ThumbnailOptions> thumbnail)
    : scale_(scale), thumbnail_(std::move(thumbnail))
{ }

QImage Default::makeImage(const QByteArray& data) const
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(!thumbnail_ || thumbnail_->createThumbnailWithTransform);
    // Network bytes may claim any size: refuse before allocating.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > maxImageBytes)
        return {};
    if (thumbnail_ && size.isValid() && !size.isEmpty())
        reader.setScaledSize(thumbnailSize(size, *thumbnail_));
    QImage image = reader.read();
    if (!image.isNull() && scale_ && *scale_ > 0)
        image.setDevicePixelRatio(*scale_);
    return image;
}

ImageContainer Default::decode(const QByteArray& data)
{
    std::lock_guard lock(lock_);
    QImage image = makeImage(data);
    if (image.isNull())
        throw ImageDecodingError();
    const auto type = AssetType::detect(data);
    ImageContainer container(std::move(image), type);
    // Animations keep their bytes, for whoever plays them.
    if (type == AssetType::gif() || isAnimatedWebP(data))
        container.setData(data);
    if (scanner_.numberOfScans() > 0)
        container.setUserInfo(ImageContainer::scanNumberKey, scanner_.numberOfScans());
    if (thumbnail_)
        container.setUserInfo(ImageContainer::skipDecompressionKey, true);
    return container;
}

std::optional<ImageContainer> Default::decodePartiallyDownloadedData(const QByteArray& data)
{
    std::lock_guard lock(lock_);
    const auto type = AssetType::detect(data);
    if (type == AssetType::gif()) {
        if (isPreviewForGIFGenerated_)
            return std::nullopt;
        QImage image = makeImage(data);
        if (image.isNull())
            return std::nullopt;
        isPreviewForGIFGenerated_ = true;
        return ImageContainer(std::move(image), type, true);
    }
    const auto endIndex = scanner_.scan(data);
    if (!endIndex || *endIndex <= 0)
        return std::nullopt;
    QImage image = makeImage(data.left(*endIndex + 1));
    if (image.isNull())
        return std::nullopt;
    ImageContainer container(std::move(image), type, true);
    container.setUserInfo(ImageContainer::scanNumberKey, scanner_.numberOfScans());
    return container;
}

ImageContainer Empty::decode(const QByteArray& data)
{
    return ImageContainer(QImage(), assetType_, false, data);
}

std::optional<ImageContainer> Empty::decodePartiallyDownloadedData(const QByteArray& data)
{
    if (!isProgressive_)
        return std::nullopt;
    return decode(data);
}

} // namespace parley::ImageDecoders
