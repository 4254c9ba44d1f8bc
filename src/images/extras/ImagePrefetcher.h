#pragma once

#include "images/pipeline/ImagePipeline.h"
#include "platform/OperationQueue.h"

#include <QHash>

#include <functional>
#include <memory>
#include <mutex>

namespace parley {

// Loads images ahead of need, at low priority by default, into the memory
// cache or only as bytes (for the disk caches). At most `width` prefetches run
// at once, in their own operation queue; a request already being prefetched
// is not started twice. Use from one thread; the pipeline must outlive it.
class ImagePrefetcher {
public:
    enum class Destination { memoryCache, diskCache };

    explicit ImagePrefetcher(
        ImagePipeline& pipeline, Destination destination = Destination::memoryCache, int width = 2);
    // Cancels everything still prefetching.
    ~ImagePrefetcher();
    ImagePrefetcher(const ImagePrefetcher&) = delete;
    ImagePrefetcher& operator=(const ImagePrefetcher&) = delete;

    void startPrefetching(const QList<ImageRequest>& requests);
    void stopPrefetching(const QList<ImageRequest>& requests);
    void stopPrefetching();

    // Requests still waiting or loading.
    int pendingCount() const;

    // Applies to prefetches started afterwards.
    ImageRequest::Priority priority = ImageRequest::Priority::low;
    // Called on the main thread whenever the last pending prefetch ends.
    void setDidComplete(std::function<void()> didComplete);

private:
    struct State;
    ImagePipeline& pipeline_;
    Destination destination_;
    std::shared_ptr<State> state_;
    std::unique_ptr<OperationQueue> queue_;
};

} // namespace parley
