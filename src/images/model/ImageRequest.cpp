#include "images/model/ImageRequest.h"

namespace parley {

const QString ImageRequest::imageIdKey = QStringLiteral("parley.imageRequest.imageId");
const QString ImageRequest::scaleKey = QStringLiteral("parley.imageRequest.scale");
const QString ImageRequest::thumbnailKey = QStringLiteral("parley.imageRequest.thumbnail");

namespace {

std::optional<QString> idOf(const ImageRequest::Resource& resource)
{
    struct {
        std::optional<QString> operator()(const ImageRequest::URLResource& r) const
        {
            if (!r.url)
                return std::nullopt;
            return r.url->toString(QUrl::FullyEncoded);
        }
        std::optional<QString> operator()(const QNetworkRequest& r) const
        {
            return r.url().toString(QUrl::FullyEncoded);
        }
        std::optional<QString> operator()(const DataPublisher& p) const { return p.id; }
    } visitor;
    return std::visit(visitor, resource);
}

} // namespace

ImageRequest::ImageRequest(Resource resource, QList<ImageProcessor> processors, Priority priority, Options options,
    std::optional<UserInfo> userInfo, int)
    : d(new Storage)
{
    d->originalImageId = idOf(resource);
    d->resource = std::move(resource);
    d->priority = priority;
    d->options = options;
    d->processors = std::move(processors);
    d->userInfo = std::move(userInfo);
}

ImageRequest::ImageRequest(std::optional<QUrl> url, QList<ImageProcessor> processors, Priority priority,
    Options options, std::optional<UserInfo> userInfo)
    : ImageRequest(URLResource { std::move(url) }, std::move(processors), priority, options, std::move(userInfo), 0)
{ }

ImageRequest::ImageRequest(QNetworkRequest urlRequest, QList<ImageProcessor> processors, Priority priority,
    Options options, std::optional<UserInfo> userInfo)
    : ImageRequest(Resource { std::move(urlRequest) }, std::move(processors), priority, options, std::move(userInfo), 0)
{ }

ImageRequest::ImageRequest(DataPublisher publisher, QList<ImageProcessor> processors, Priority priority,
    Options options, std::optional<UserInfo> userInfo)
    : ImageRequest(Resource { std::move(publisher) }, std::move(processors), priority, options, std::move(userInfo), 0)
{ }

std::optional<QNetworkRequest> ImageRequest::urlRequest() const
{
    if (const auto* request = std::get_if<QNetworkRequest>(&d->resource))
        return *request;
    if (const auto* resource = std::get_if<URLResource>(&d->resource); resource && resource->url)
        return QNetworkRequest(*resource->url);
    return std::nullopt;
}

std::optional<QUrl> ImageRequest::url() const
{
    if (const auto* request = std::get_if<QNetworkRequest>(&d->resource))
        return request->url();
    if (const auto* resource = std::get_if<URLResource>(&d->resource))
        return resource->url;
    return std::nullopt;
}

std::optional<QString> ImageRequest::imageId() const
{
    if (d->userInfo) {
        const QVariant value = d->userInfo->value(imageIdKey);
        if (value.typeId() == QMetaType::QString)
            return value.toString();
    }
    return d->originalImageId;
}

std::optional<float> ImageRequest::scale() const
{
    if (!d->userInfo)
        return std::nullopt;
    const QVariant value = d->userInfo->value(scaleKey);
    bool ok = false;
    const float scale = value.toFloat(&ok);
    return ok ? std::optional(scale) : std::nullopt;
}

std::optional<ImageRequest::ThumbnailOptions> ImageRequest::thumbnail() const
{
    if (!d->userInfo)
        return std::nullopt;
    const QVariant value = d->userInfo->value(thumbnailKey);
    if (value.metaType() != QMetaType::fromType<ThumbnailOptions>())
        return std::nullopt;
    return value.value<ThumbnailOptions>();
}

QString ImageRequest::ThumbnailOptions::identifier() const
{
    QString size;
    if (const auto* fixed = std::get_if<Fixed>(&targetSize)) {
        size = QStringLiteral("maxPixelSize=%1").arg(double(fixed->maxPixelSize));
    } else {
        const auto& flexible = std::get<Flexible>(targetSize);
        size = QStringLiteral("width=%1,height=%2,contentMode=%3")
                   .arg(flexible.size.width())
                   .arg(flexible.size.height())
                   .arg(flexible.contentMode == ContentMode::aspectFit ? u"aspectFit" : u"aspectFill");
    }
    return QStringLiteral("thumbnail(%1,options=%2%3%4%5)")
        .arg(size)
        .arg(int(createThumbnailFromImageIfAbsent))
        .arg(int(createThumbnailFromImageAlways))
        .arg(int(createThumbnailWithTransform))
        .arg(int(shouldCacheImmediately));
}

size_t qHash(const ImageRequest::ThumbnailOptions& options, size_t seed)
{
    using Options = ImageRequest::ThumbnailOptions;
    if (const auto* fixed = std::get_if<Options::Fixed>(&options.targetSize)) {
        seed = qHashMulti(seed, 0, fixed->maxPixelSize);
    } else {
        const auto& flexible = std::get<Options::Flexible>(options.targetSize);
        seed = qHashMulti(seed, 1, flexible.size.width(), flexible.size.height(), int(flexible.contentMode));
    }
    return qHashMulti(seed, options.createThumbnailFromImageIfAbsent, options.createThumbnailFromImageAlways,
        options.createThumbnailWithTransform, options.shouldCacheImmediately);
}

} // namespace parley
