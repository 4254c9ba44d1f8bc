#include "images/extras/ImagePrefetcher.h"

#include "images/engine/internal/AsyncOperation.h"
#include "images/engine/internal/StagePriority.h"
#include "images/model/ImageLoadKey.h"

namespace parley {

// Shared with the operations and completions, which may outlive the prefetcher.
struct ImagePrefetcher::State {
    struct Entry {
        // Tells an entry from a later one for the same request.
        quint64 serial = 0;
        std::shared_ptr<AsyncOperation> operation;
        std::shared_ptr<ImageTask> task;
    };
    mutable std::mutex mutex;
    QHash<ImageLoadKey, Entry> entries;
    quint64 nextSerial = 0;
    std::function<void()> didComplete;

    // Ends the prefetch `serial` of `key`: its entry goes, a newer one stays.
    static void finished(const std::weak_ptr<State>& weak, const ImageLoadKey& key, quint64 serial)
    {
        const auto state = weak.lock();
        if (!state)
            return;
        std::unique_lock lock(state->mutex);
        if (const auto found = state->entries.constFind(key); found != state->entries.cend() && found->serial == serial)
            state->entries.erase(found);
        const auto didComplete = state->entries.isEmpty() ? state->didComplete : nullptr;
        lock.unlock();
        if (didComplete)
            didComplete();
    }
};

ImagePrefetcher::ImagePrefetcher(ImagePipeline& pipeline, Destination destination, int width)
    : pipeline_(pipeline)
    , destination_(destination)
    , state_(std::make_shared<State>())
    , queue_(std::make_unique<OperationQueue>(QStringLiteral("parley.images.ImagePrefetcher"), width))
{ }

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
        const quint64 serial = ++state_->nextSerial;
        auto operation = std::make_shared<AsyncOperation>(
            [weak = std::weak_ptr(state_), key, serial, request, &pipeline = pipeline_, destination = destination_](
                AsyncOperation::Finish finish) {
                const auto done = [weak, key, serial, finish] {
                    finish();
                    State::finished(weak, key, serial);
                };
                const auto state = weak.lock();
                if (!state) {
                    finish();
                    return;
                }
                // The task is recorded under the lock it starts under, so a
                // stop either finds it or finds the entry gone and nothing started.
                std::lock_guard lock(state->mutex);
                const auto found = state->entries.find(key);
                if (found == state->entries.end() || found->serial != serial) {
                    finish();
                    return;
                }
                found->task = destination == Destination::memoryCache
                    ? pipeline.loadImage(
                          request, nullptr, {}, [done](const ImageResult&) { done(); }, done)
                    : pipeline.loadData(
                          request, nullptr, {}, [done](const DataResult&) { done(); }, done);
            });
        operation->setQueuePriority(queuePriority(stagePriority(priority)));
        state_->entries.insert(key, { serial, operation, nullptr });
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
