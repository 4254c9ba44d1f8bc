#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace parley {

// One unit of work for an OperationQueue. The queue calls start() on one of its
// pool threads; the operation then counts as executing until it calls
// didFinish(), which may happen on any thread and long after start() returned.
// cancel() and setQueuePriority() may be called from any thread.
class QueueOperation {
public:
    static constexpr int veryLowPriority = -8;
    static constexpr int veryHighPriority = 8;

    QueueOperation() = default;
    virtual ~QueueOperation() = default;
    QueueOperation(const QueueOperation&) = delete;
    QueueOperation& operator=(const QueueOperation&) = delete;

    // Marks the operation cancelled. One still waiting in its queue is started
    // at once so that it can finish without doing its work.
    void cancel();
    bool isCancelled() const { return cancelled_; }

    // Among waiting operations the highest priority starts first (clamped to
    // -8..8; equal priorities start in the order they were added).
    int queuePriority() const { return priority_; }
    void setQueuePriority(int priority);

protected:
    // Called by the queue on a pool thread. An operation that was cancelled
    // before it started is expected to call didFinish() without working.
    virtual void start() = 0;

    // Tells the queue the operation is over, which frees its slot. Only the
    // first call counts.
    void didFinish();

private:
    friend class OperationQueue;

    std::atomic<bool> cancelled_ { false };
    std::atomic<int> priority_ { 0 };
    std::mutex mutex_;
    std::function<void()> onCancel_;
    std::function<void()> onFinish_;
};

} // namespace parley
