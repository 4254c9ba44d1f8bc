#pragma once

#include "images/cache/DataCaching.h"
#include "images/cache/ImageCache.h"
#include "images/decoding/ImageDecoding.h"
#include "images/decoding/ImageEncoders.h"
#include "images/loading/DataLoading.h"
#include "images/pipeline/ImageLoading.h"
#include "images/pipeline/ImageServices.h"
#include "images/pipeline/ImageTask.h"
#include "images/pipeline/LoadResult.h"
#include "platform/SerialQueue.h"

#include <QFuture>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace parley {

class ImagePipelineDelegate;
class PipelineStages;

// A load as a future, with the task that cancels it or changes its priority.
struct AsyncImageTask {
    std::shared_ptr<ImageTask> task;
    QFuture<ImageResponse> response;
};

// Turns image requests into decoded images: memory cache first, then one
// shared download, decode and processing run per distinct piece of work
// (coalescing), with priorities that follow the most important waiter,
// progress, cancellation and delivery on the caller's callback queue (the
// main thread by default). All its state lives on its own serial queue.
//
// Its owner creates it with the services it shares (see ImageServices) and
// loads with one call:
//     pipeline->loadImage(url, [](const ImageResult& result) { ... });
// or, as a future continued on the main thread:
//     whenFinished(pipeline->image(url), context, [](QFuture<ImageResponse> r) { ... });
// Destroying a pipeline with loads in flight ends them silently.
class ImagePipeline : public ImageLoading, public std::enable_shared_from_this<ImagePipeline> {
public:
    enum class DataCachePolicy { automatic, storeOriginalData, storeEncodedImages, storeAll };

    struct Configuration {
        // Empty ones are made for this pipeline alone.
        ImageServices services;
        // None: a DataLoader over the services' disk HTTP cache.
        std::shared_ptr<DataLoading> dataLoader;
        std::shared_ptr<DataCaching> dataCache;
        std::shared_ptr<ImageCaching> customImageCache;
        // None: the services' decoder registry.
        std::function<std::shared_ptr<ImageDecoding>(const ImageDecodingContext&)> makeImageDecoder;
        // None: ImageEncoders::Default, for processed images stored in the data cache.
        std::function<std::shared_ptr<ImageEncoding>(const ImageEncodingContext&)> makeImageEncoder;
        bool isUsingPrepareForDisplay = false;
        bool isDecompressionEnabled = false;
        DataCachePolicy dataCachePolicy = DataCachePolicy::storeOriginalData;
        bool isTaskCoalescingEnabled = true;
        bool isRateLimiterEnabled = true;
        bool isProgressiveDecodingEnabled = false;
        bool isStoringPreviewsInMemoryCache = true;
        bool isResumableDataEnabled = true;
        // None: the main thread.
        SerialQueue* callbackQueue = nullptr;
        bool isCustomImageCacheProvided = false;
        int dataLoadingQueueWidth = 6;
        int dataCachingQueueWidth = 2;
        int imageDecodingQueueWidth = 1;
        int imageEncodingQueueWidth = 1;
        int imageProcessingQueueWidth = 2;
        int imageDecompressingQueueWidth = 2;

        // The preset with a disk data cache and a loader without the HTTP cache:
        // the DataCache named dataCacheName under the user cache directory
        // (none when it cannot be created), or the given one.
        static Configuration withDataCache();
        static Configuration withDataCache(std::shared_ptr<DataCaching> dataCache);
        static const QString dataCacheName;
    };

    using DataCompletion = std::function<void(const DataResult& result)>;
    // A preview (progressive decoding) or none, then bytes received and expected.
    using Progress = std::function<void(const std::optional<ImageResponse>& preview, qint64 completed, qint64 total)>;

    static std::shared_ptr<ImagePipeline> create();
    static std::shared_ptr<ImagePipeline> create(
        Configuration configuration, std::shared_ptr<ImagePipelineDelegate> delegate = nullptr);
    ~ImagePipeline() override;
    ImagePipeline(const ImagePipeline&) = delete;
    ImagePipeline& operator=(const ImagePipeline&) = delete;

    // Loads an image; `completion` runs once on the callback queue, unless the
    // task is cancelled first. The returned task may be ignored. `onCancel`
    // becomes the task's, set before the task can start or be cancelled.
    std::shared_ptr<ImageTask> loadImage(const QUrl& url, ImageCompletion completion) override;
    std::shared_ptr<ImageTask> loadImage(ImageRequest request, SerialQueue* callbackQueue, Progress progress,
        ImageCompletion completion, std::function<void()> onCancel = {});
    // Loads only the bytes of an image.
    std::shared_ptr<ImageTask> loadData(ImageRequest request, SerialQueue* callbackQueue, Progress progress,
        DataCompletion completion, std::function<void()> onCancel = {});

    // The same loads as futures; they fail with ImagePipelineError and are
    // cancelled when the task is (or when the pipeline goes away first).
    QFuture<ImageResponse> image(const QUrl& url);
    QFuture<ImageResponse> image(ImageRequest request);
    AsyncImageTask imageTask(ImageRequest request);
    QFuture<LoadedData> data(ImageRequest request);

    // From any thread. A cancelled task never completes.
    void cancel(const std::shared_ptr<ImageTask>& task);
    void setPriority(const std::shared_ptr<ImageTask>& task, ImageRequest::Priority priority);

    // Ends every running task silently and makes every later load fail.
    void invalidate();

    // The memory cache as this pipeline uses it, honouring the request's options.
    std::optional<ImageContainer> cachedImage(const ImageRequest& request);
    void storeCachedImage(const ImageContainer& container, const ImageRequest& request);
    void removeCachedImage(const ImageRequest& request);

    const Configuration& configuration() const { return configuration_; }
    ImagePipelineDelegate& delegate() const { return *delegate_; }
    const QUuid& id() const { return id_; }

private:
    // A running image task and its hold on its stage.
    struct Running;

    ImagePipeline(Configuration configuration, std::shared_ptr<ImagePipelineDelegate> delegate);

    std::shared_ptr<ImageTask> makeTask(
        ImageRequest request, SerialQueue* callbackQueue, bool isDataTask, std::function<void()> onCancel);
    template <typename Value, typename MakeStage, typename Completion>
    void start(const std::shared_ptr<ImageTask>& task, MakeStage makeStage, Progress progress, Completion completion);
    template <typename Value, typename Event, typename Completion>
    void handle(const std::shared_ptr<ImageTask>& task, const Event& event, const Progress& progress,
        const Completion& completion);
    void stop(const Running& running);
    void didCancel(const std::shared_ptr<ImageTask>& task);
    void callBack(const std::shared_ptr<ImageTask>& task, std::function<void()> work);

    ImageCaching* imageCache(const ImageRequest& request) const;
    ImageCacheKey cacheKey(const ImageRequest& request) const;

    Configuration configuration_;
    std::shared_ptr<ImagePipelineDelegate> delegate_;
    QUuid id_ = QUuid::createUuid();
    std::atomic<qint64> nextTaskID_ = 0;

    std::unique_ptr<SerialQueue> queue_;
    std::unique_ptr<PipelineStages> stages_;

    // Touched only on queue_.
    std::unordered_map<qint64, std::unique_ptr<Running>> tasks_;
    bool isInvalidated_ = false;
};

} // namespace parley
