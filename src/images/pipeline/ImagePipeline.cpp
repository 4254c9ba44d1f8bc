#include "images/pipeline/ImagePipeline.h"

#include "images/cache/DataCache.h"
#include "images/cache/ImageCache.h"
#include "images/loading/DataLoader.h"
#include "images/pipeline/ImagePipelineDelegate.h"
#include "images/pipeline/internal/PipelineStages.h"
#include "platform/Diagnostics.h"

#include <QPromise>

namespace parley {

namespace {

template <typename Value>
QFuture<Value> futureOf(const std::shared_ptr<QPromise<Value>>& promise)
{
    promise->start();
    return promise->future();
}

// Only the pipeline's work holds the promise; the task merely reaches it.
// Should the pipeline go away first, that work is dropped with the promise,
// which finishes the future cancelled.
template <typename Value>
std::function<void()> cancelling(const std::shared_ptr<QPromise<Value>>& promise)
{
    return [weak = std::weak_ptr(promise)] {
        if (const auto promise = weak.lock()) {
            promise->future().cancel();
            promise->finish();
        }
    };
}

template <typename Value>
void fulfil(QPromise<Value>& promise, const LoadResult<Value>& result)
{
    if (const Value* value = result.value())
        promise.addResult(*value);
    else
        promise.setException(std::make_exception_ptr(*result.error()));
    promise.finish();
}

// The call of a task's completion on its callback queue. A task cancelled
// after the pipeline finished it, but before this runs, stays silent.
template <typename Completion, typename Result>
std::function<void()> delivery(const std::shared_ptr<ImageTask>& task, const Completion& completion, Result result)
{
    return [task, completion, result = std::move(result)] {
        if (!task->isCancelRequested())
            completion(result);
        else if (task->onCancel)
            task->onCancel();
    };
}

} // namespace

struct ImagePipeline::Running {
    std::shared_ptr<ImageTask> task;
    StageSubscription subscription;
};

const QString ImagePipeline::Configuration::dataCacheName = QStringLiteral("app.parley.images.DataCache");

ImagePipeline::Configuration ImagePipeline::Configuration::withDataCache()
{
    std::shared_ptr<DataCaching> dataCache;
    try {
        dataCache = DataCache::named(dataCacheName);
    } catch (const DataCacheError& error) {
        Diagnostics::write(QStringLiteral("ImagePipeline.dataCacheUnavailable: ") + error.description());
    }
    return withDataCache(std::move(dataCache));
}

ImagePipeline::Configuration ImagePipeline::Configuration::withDataCache(std::shared_ptr<DataCaching> dataCache)
{
    Configuration configuration;
    configuration.dataLoader = std::make_shared<DataLoader>(URLCache {});
    configuration.dataCache = std::move(dataCache);
    return configuration;
}

std::shared_ptr<ImagePipeline> ImagePipeline::create()
{
    return create(Configuration());
}

std::shared_ptr<ImagePipeline> ImagePipeline::create(
    Configuration configuration, std::shared_ptr<ImagePipelineDelegate> delegate)
{
    return std::shared_ptr<ImagePipeline>(new ImagePipeline(std::move(configuration), std::move(delegate)));
}

ImagePipeline::ImagePipeline(Configuration configuration, std::shared_ptr<ImagePipelineDelegate> delegate)
    : configuration_(std::move(configuration))
    , delegate_(delegate ? std::move(delegate) : std::make_shared<ImagePipelineDefaultDelegate>())
    , queue_(std::make_unique<SerialQueue>(QStringLiteral("parley.images.ImagePipeline")))
    , stages_(std::make_unique<PipelineStages>(*this, *queue_))
{
    configuration_.services = configuration_.services.completed();
    if (!configuration_.dataLoader)
        configuration_.dataLoader = std::make_shared<DataLoader>(configuration_.services.urlCache);
    if (auto* loader = dynamic_cast<DataLoader*>(configuration_.dataLoader.get()))
        loader->setPrefersIncrementalDelivery(configuration_.isProgressiveDecodingEnabled);
    if (!configuration_.callbackQueue)
        configuration_.callbackQueue = &SerialQueue::main();
    configuration_.services.resumableData->registerPipeline(id_);
}

ImagePipeline::~ImagePipeline()
{
    stages_->close();
    queue_->sync([this] {
        for (auto& [id, running] : std::exchange(tasks_, {}))
            running->subscription.unsubscribe();
    });
    if (queue_->isCurrent())
        (void)queue_.release(); // released from a hook on its own queue: its idle thread cannot be joined here
    queue_.reset();
    configuration_.services.resumableData->unregisterPipeline(id_);
}

std::shared_ptr<ImageTask> ImagePipeline::makeTask(
    ImageRequest request, SerialQueue* callbackQueue, bool isDataTask, std::function<void()> onCancel)
{
    auto task = std::make_shared<ImageTask>(
        ++nextTaskID_, std::move(request), weak_from_this(), callbackQueue, isDataTask);
    task->onCancel = std::move(onCancel);
    delegate_->imageTaskCreated(*this, *task);
    return task;
}

std::shared_ptr<ImageTask> ImagePipeline::loadImage(const QUrl& url, ImageCompletion completion)
{
    return loadImage(ImageRequest(url), nullptr, {}, std::move(completion));
}

std::shared_ptr<ImageTask> ImagePipeline::loadImage(ImageRequest request, SerialQueue* callbackQueue, Progress progress,
    ImageCompletion completion, std::function<void()> onCancel)
{
    auto task = makeTask(std::move(request), callbackQueue, false, std::move(onCancel));
    queue_->async([this, task, progress = std::move(progress), completion = std::move(completion)] {
        start<ImageResponse>(
            task, [this](const ImageRequest& request) { return stages_->loadImage(request); }, progress, completion);
    });
    return task;
}

std::shared_ptr<ImageTask> ImagePipeline::loadData(ImageRequest request, SerialQueue* callbackQueue, Progress progress,
    DataCompletion completion, std::function<void()> onCancel)
{
    auto task = makeTask(std::move(request), callbackQueue, true, std::move(onCancel));
    queue_->async([this, task, progress = std::move(progress), completion = std::move(completion)] {
        start<LoadedData>(
            task, [this](const ImageRequest& request) { return stages_->loadData(request); }, progress, completion);
    });
    return task;
}

template <typename Value, typename MakeStage, typename Completion>
void ImagePipeline::start(
    const std::shared_ptr<ImageTask>& task, MakeStage makeStage, Progress progress, Completion completion)
{
    if (isInvalidated_) {
        if (task->end(ImageTask::State::completed))
            callBack(task, delivery(task, completion, LoadResult<Value>(ImagePipelineError::pipelineInvalidated())));
        return;
    }
    if (task->state() != ImageTask::State::running) {
        didCancel(task); // cancelled before it started
        return;
    }
    delegate_->imageTaskDidStart(*this, *task);
    auto subscription = makeStage(task->request())
                            ->subscribe(stagePriority(task->priority()), task,
                                [this, task, progress, completion](
                                    const typename Stage<Value, ImagePipelineError>::Event& event) {
                                    handle<Value>(task, event, progress, completion);
                                });
    // A memory-cache hit completes the task inside subscribe().
    if (subscription && task->state() == ImageTask::State::running)
        tasks_.emplace(task->taskId(), std::make_unique<Running>(Running { task, *subscription }));
}

template <typename Value, typename Event, typename Completion>
void ImagePipeline::handle(
    const std::shared_ptr<ImageTask>& task, const Event& event, const Progress& progress, const Completion& completion)
{
    if (task->state() != ImageTask::State::running)
        return;
    if (const auto* update = std::get_if<ImageTask::Progress>(&event)) {
        task->storeProgress(*update);
        delegate_->imageTaskDidUpdateProgress(*this, *task, *update);
        if (progress)
            callBack(task, [task, progress, update = *update] {
                if (!task->isCancelRequested())
                    progress(std::nullopt, update.completed, update.total);
            });
        return;
    }
    const auto* value = std::get_if<0>(&event);
    if (value && !value->isCompleted) {
        if constexpr (std::is_same_v<Value, ImageResponse>) {
            delegate_->imageTaskDidReceivePreview(*this, *task, value->value);
            if (progress)
                callBack(task, [task, progress, preview = value->value, current = task->progress()] {
                    if (!task->isCancelRequested())
                        progress(preview, current.completed, current.total);
                });
        }
        return;
    }
    if (!task->end(ImageTask::State::completed))
        return;
    tasks_.erase(task->taskId());
    const LoadResult<Value> result = value ? LoadResult<Value>(value->value)
                                           : LoadResult<Value>(std::get<ImagePipelineError>(event));
    delegate_->imageTaskDidComplete(*this, *task, result.error());
    callBack(task, delivery(task, completion, result));
}

void ImagePipeline::callBack(const std::shared_ptr<ImageTask>& task, std::function<void()> work)
{
    SerialQueue* queue = task->callbackQueue() ? task->callbackQueue() : configuration_.callbackQueue;
    if (queue == queue_.get())
        work();
    else
        queue->async(std::move(work));
}

void ImagePipeline::cancel(const std::shared_ptr<ImageTask>& task)
{
    if (!task || !task->cancel())
        return;
    queue_->async([this, task] {
        const auto found = tasks_.find(task->taskId());
        if (found == tasks_.end())
            return;
        const std::unique_ptr<Running> running = std::move(found->second);
        tasks_.erase(found);
        stop(*running);
    });
}

void ImagePipeline::stop(const Running& running)
{
    didCancel(running.task);
    running.subscription.unsubscribe();
}

void ImagePipeline::didCancel(const std::shared_ptr<ImageTask>& task)
{
    callBack(task, [task, delegate = delegate_, weak = weak_from_this()] {
        if (const auto pipeline = weak.lock(); pipeline && !task->isDataTask())
            delegate->imageTaskDidCancel(*pipeline, *task);
        if (task->onCancel)
            task->onCancel();
    });
}

void ImagePipeline::setPriority(const std::shared_ptr<ImageTask>& task, ImageRequest::Priority priority)
{
    if (!task || !task->storePriority(priority))
        return;
    queue_->async([this, task, priority] {
        if (const auto found = tasks_.find(task->taskId()); found != tasks_.end())
            found->second->subscription.setPriority(stagePriority(priority));
    });
}

void ImagePipeline::invalidate()
{
    queue_->async([this] {
        if (std::exchange(isInvalidated_, true))
            return;
        for (auto& [id, running] : std::exchange(tasks_, {})) {
            running->task->end(ImageTask::State::cancelled);
            stop(*running);
        }
    });
}

QFuture<ImageResponse> ImagePipeline::image(const QUrl& url)
{
    return imageTask(ImageRequest(url)).response;
}

QFuture<ImageResponse> ImagePipeline::image(ImageRequest request)
{
    return imageTask(std::move(request)).response;
}

AsyncImageTask ImagePipeline::imageTask(ImageRequest request)
{
    auto promise = std::make_shared<QPromise<ImageResponse>>();
    auto future = futureOf(promise);
    auto task = makeTask(std::move(request), nullptr, false, cancelling(promise));
    queue_->async([this, task, promise] {
        start<ImageResponse>(
            task, [this](const ImageRequest& request) { return stages_->loadImage(request); }, {},
            [promise](const ImageResult& result) { fulfil(*promise, result); });
    });
    return { task, future };
}

QFuture<LoadedData> ImagePipeline::data(ImageRequest request)
{
    auto promise = std::make_shared<QPromise<LoadedData>>();
    auto future = futureOf(promise);
    auto task = makeTask(std::move(request), nullptr, true, cancelling(promise));
    queue_->async([this, task, promise] {
        start<LoadedData>(
            task, [this](const ImageRequest& request) { return stages_->loadData(request); }, {},
            [promise](const DataResult& result) { fulfil(*promise, result); });
    });
    return future;
}

ImageCaching* ImagePipeline::imageCache(const ImageRequest& request) const
{
    return delegate_->imageCache(const_cast<ImagePipeline&>(*this), request);
}

ImageCacheKey ImagePipeline::cacheKey(const ImageRequest& request) const
{
    if (auto custom = delegate_->cacheKey(const_cast<ImagePipeline&>(*this), request))
        return ImageCacheKey(*custom);
    return ImageCacheKey(request);
}

std::optional<ImageContainer> ImagePipeline::cachedImage(const ImageRequest& request)
{
    if (request.options().testFlag(ImageRequest::Option::noMemoryCacheReads))
        return std::nullopt;
    ImageCaching* cache = imageCache(request);
    return cache ? cache->image(cacheKey(request)) : std::nullopt;
}

void ImagePipeline::storeCachedImage(const ImageContainer& container, const ImageRequest& request)
{
    if (request.options().testFlag(ImageRequest::Option::noMemoryCacheWrites))
        return;
    if (ImageCaching* cache = imageCache(request))
        cache->setImage(container, cacheKey(request));
}

void ImagePipeline::removeCachedImage(const ImageRequest& request)
{
    if (ImageCaching* cache = imageCache(request))
        cache->removeImage(cacheKey(request));
}

} // namespace parley
