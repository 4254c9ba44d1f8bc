#pragma once

#include "platform/SerialQueue.h"

#include <memory>
#include <mutex>

namespace parley {

// A way onto a serial queue for work that finishes on other threads (network
// callbacks, queued operations): posts are dropped once the queue's owner has
// closed it, so late callbacks never reach a queue that is gone. Callers keep
// it through a shared_ptr; every member may be called from any thread.
class ClosableQueue {
public:
    explicit ClosableQueue(SerialQueue* queue) : queue_(queue) { }

    void async(SerialQueue::Work work)
    {
        std::lock_guard lock(mutex_);
        if (queue_)
            queue_->async(std::move(work));
    }

    void close()
    {
        std::lock_guard lock(mutex_);
        queue_ = nullptr;
    }

private:
    std::mutex mutex_;
    SerialQueue* queue_;
};

} // namespace parley
