#include "platform/QueueOperation.h"

#include <algorithm>
#include <utility>

namespace parley {

void QueueOperation::cancel()
{
    if (cancelled_.exchange(true))
        return;
    std::function<void()> onCancel;
    {
        std::lock_guard lock(mutex_);
        onCancel = onCancel_;
    }
    if (onCancel)
        onCancel();
}

void QueueOperation::setQueuePriority(int priority)
{
    priority_ = std::clamp(priority, veryLowPriority, veryHighPriority);
}

void QueueOperation::didFinish()
{
    std::function<void()> onFinish;
    {
        std::lock_guard lock(mutex_);
        onFinish = std::exchange(onFinish_, nullptr);
        onCancel_ = nullptr;
    }
    if (onFinish)
        onFinish();
}

} // namespace parley
