#pragma once

#include "images/processing/ImageProcessing.h"

#include <QFlags>
#include <QHash>
#include <QList>
#include <QNetworkRequest>
#include <QSharedDataPointer>
#include <QSizeF>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <exception>
#include <functional>
#include <optional>
#include <variant>

namespace parley {

// A source of image bytes other than the network, named by `id`. `start`
// begins delivery: it calls `onChunk` for each piece of data and then
// `onFinish` once, with an error or none. Both may be called from any thread.
struct DataPublisher {
    using OnChunk = std::function<void(const QByteArray& chunk)>;
    using OnFinish = std::function<void(std::exception_ptr error)>;

    QString id;
    std::function<void(OnChunk onChunk, OnFinish onFinish)> start;
};

// What to load and how. A value type: copies share one storage object until
// one of them is changed. Not thread-safe for concurrent writes to one value;
// copies may be used from different threads.
class ImageRequest {
public:
    enum class Priority { veryLow, low, normal, high, veryHigh };

    enum class Option : quint16 {
        noMemoryCacheReads = 1 << 0,
        noMemoryCacheWrites = 1 << 1,
        noDiskCacheReads = 1 << 2,
        noDiskCacheWrites = 1 << 3,
        // Never go to the network; a data-cache miss fails the load.
        cacheOnly = 1 << 4,
        noDecompression = 1 << 5,
        // Start the data load directly instead of through the loading queue.
        bypassDataLoadingQueue = 1 << 6,
    };
    Q_DECLARE_FLAGS(Options, Option)

    struct ThumbnailOptions {
        enum class ContentMode { aspectFit, aspectFill };
        // The longest side in pixels.
        struct Fixed {
            float maxPixelSize;
            friend bool operator==(const Fixed&, const Fixed&) = default;
        };
        struct Flexible {
            QSizeF size;
            ContentMode contentMode;
            friend bool operator==(const Flexible&, const Flexible&) = default;
        };

        std::variant<Fixed, Flexible> targetSize;
        bool createThumbnailFromImageIfAbsent = true;
        bool createThumbnailFromImageAlways = true;
        bool createThumbnailWithTransform = true;
        bool shouldCacheImmediately = true;

        // Names every option, for keys that must tell thumbnails apart.
        QString identifier() const;

        friend bool operator==(const ThumbnailOptions&, const ThumbnailOptions&) = default;
    };

    struct URLResource {
        std::optional<QUrl> url;
    };
    using Resource = std::variant<URLResource, QNetworkRequest, DataPublisher>;
    using UserInfo = QHash<QString, QVariant>;

    // The well-known user-info keys.
    static const QString imageIdKey; // QString: overrides the image id
    static const QString scaleKey; // float: the image's scale factor
    static const QString thumbnailKey; // ThumbnailOptions

    // The form the application uses: priority normal, nothing else set.
    ImageRequest(std::optional<QUrl> url = std::nullopt, QList<ImageProcessor> processors = {},
        Priority priority = Priority::normal, Options options = {}, std::optional<UserInfo> userInfo = std::nullopt);
    ImageRequest(QNetworkRequest urlRequest, QList<ImageProcessor> processors = {},
        Priority priority = Priority::normal, Options options = {}, std::optional<UserInfo> userInfo = std::nullopt);
    ImageRequest(DataPublisher publisher, QList<ImageProcessor> processors = {}, Priority priority = Priority::normal,
        Options options = {}, std::optional<UserInfo> userInfo = std::nullopt);

    const Resource& resource() const { return d->resource; }
    // The network request to send: none for a missing URL or a publisher.
    std::optional<QNetworkRequest> urlRequest() const;
    std::optional<QUrl> url() const;

    Priority priority() const { return d->priority; }
    void setPriority(Priority priority) { d->priority = priority; }
    Options options() const { return d->options; }
    void setOptions(Options options) { d->options = options; }
    const QList<ImageProcessor>& processors() const { return d->processors; }
    void setProcessors(QList<ImageProcessor> processors) { d->processors = std::move(processors); }
    const std::optional<UserInfo>& userInfo() const { return d->userInfo; }
    void setUserInfo(std::optional<UserInfo> userInfo) { d->userInfo = std::move(userInfo); }

    // Fixed at creation from the resource: the URL's absolute string or the
    // publisher's id.
    const std::optional<QString>& originalImageId() const { return d->originalImageId; }
    // The user-info override when it holds a string, else originalImageId.
    std::optional<QString> imageId() const;
    std::optional<float> scale() const;
    std::optional<ThumbnailOptions> thumbnail() const;

private:
    struct Storage : QSharedData {
        Resource resource;
        Priority priority;
        Options options;
        std::optional<QString> originalImageId;
        QList<ImageProcessor> processors;
        std::optional<UserInfo> userInfo;
    };

    ImageRequest(Resource resource, QList<ImageProcessor> processors, Priority priority, Options options,
        std::optional<UserInfo> userInfo, int);

    QSharedDataPointer<Storage> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(ImageRequest::Options)

size_t qHash(const ImageRequest::ThumbnailOptions& options, size_t seed = 0);

} // namespace parley

Q_DECLARE_METATYPE(parley::ImageRequest::ThumbnailOptions)
