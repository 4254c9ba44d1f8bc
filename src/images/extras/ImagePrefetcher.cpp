#include "images/extras/ImagePrefetcher.h"

#include "images/engine/internal/AsyncOperation.h"
#include "images/engine/internal/StagePriority.h"
#include "images/model/ImageLoadKey.h"

namespace parley {

// Shared with the operations and completions, which may outlive the prefetcher.
struct ImagePrefetcher::State {
    struct Entry {
        std::shared_ptr<AsyncOperation> operation;
        std::shared_ptr<ImageTask> task;
    };
    mutable std::mutex mutex;
    QHash<ImageLoadKey, Entry> entries;
    std::function<void()> didComplete;
};

ImagePrefetcher::ImagePrefetcher(ImagePipeline& pipeline, Destination destination, int width)
    : pipeline_(pipeline)
    , destination_(destination)
    , state_(std::make_shared<State>())
    , queue_(std::make_unique<OperationQueue>(QStringLiteral("parley.images.ImagePrefetcher"), width))
{
}

ImagePrefetcher::~ImagePrefetcher()
{
    stopPrefetching();
}

void ImagePrefetcher::startPrefetching(const QList<ImageRequest>& requests)
{
    for (ImageRequest request : requests) {
        request.setPriority(priority);
        const ImageLoadKey key(request);
        std::lock_guard lock(state_->mutex);
        if (state_->entries.contains(key) || pipeline_.cachedImage(request))
            continue;
        std::weak_ptr<State> weak = state_;
        auto finished = [weak, key](AsyncOperation::Finish finish) {
            finish();
            const auto state = weak.lock();
            if (!state)
                return;
            std::unique_lock lock(state->mutex);
            state->entries.remove(key);
            const auto didComplete = state->entries.isEmpty() ? state->didComplete : nullptr;
            lock.unlock();
            if (didComplete)
                didComplete();
        };
        auto operation = std::make_shared<AsyncOperation>(
            [weak, key, request, finished, &pipeline = pipeline_, destination = destination_](AsyncOperation::Finish finish) {
                const auto state = weak.lock();
                if (!state) {
                    finish();
                    return;
                }
                std::shared_ptr<ImageTask> task = destination == Destination::memoryCache
                    ? pipeline.loadImage(request, nullptr, {}, [finished, finish](const ImageResult&) { finished(finish); })
                    : pipeline.loadData(request, nullptr, {}, [finished, finish](const DataResult&) { finished(finish); });
                task->onCancel = [finished, finish] { finished(finish); };
                std::lock_guard lock(state->mutex);
                if (auto found = state->entries.find(key); found != state->entries.end())
                    found->task = task;
            });
        operation->setQueuePriority(queuePriority(stagePriority(priority)));
        state_->entries.insert(key, { operation, nullptr });
        queue_->addOperation(operation);
    }
}

void ImagePrefetcher::stopPrefetching(const QList<ImageRequest>& requests)
{
    for (ImageRequest request : requests) {
        request.setPriority(priority);
        std::unique_lock lock(state_->mutex);
        const auto entry = state_->entries.take(ImageLoadKey(request));
        lock.unlock();
        if (entry.operation)
            entry.operation->cancel();
        if (entry.task)
            pipeline_.cancel(entry.task);
    }
}

void ImagePrefetcher::stopPrefetching()
{
    std::unique_lock lock(state_->mutex);
    const auto entries = std::exchange(state_->entries, {});
    lock.unlock();
    for (const auto& entry : entries) {
        entry.operation->cancel();
        if (entry.task)
            pipeline_.cancel(entry.task);
    }
}

void ImagePrefetcher::setDidComplete(std::function<void()> didComplete)
{
    std::lock_guard lock(state_->mutex);
    state_->didComplete = std::move(didComplete);
}

int ImagePrefetcher::pendingCount() const
{
    std::lock_guard lock(state_->mutex);
    return int(state_->entries.size());
}

} // namespace parley
