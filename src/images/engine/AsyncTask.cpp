#include "images/engine/AsyncTask.h"

namespace parley {

void TaskSubscription::setPriority(TaskPriority priority) const
{
    task_->setPriority(key_, priority);
}

void TaskSubscription::unsubscribe() const
{
    task_->unsubscribe(key_);
}

AsyncTaskBase::SubscriptionInfo* AsyncTaskBase::info(int key)
{
    if (key == 0)
        return inlineInfo_ ? &*inlineInfo_ : nullptr;
    auto found = infos_.find(key);
    return found == infos_.end() ? nullptr : &found->second;
}

void AsyncTaskBase::subscribed(TaskPriority priority)
{
    updatePriority(priority);
    if (!isStarted_) {
        isStarted_ = true;
        start();
    }
}

void AsyncTaskBase::setPriority(int key, TaskPriority priority)
{
    auto* subscription = info(key);
    if (!subscription)
        return;
    subscription->priority = priority;
    updatePriority(priority);
}

void AsyncTaskBase::unsubscribe(int key)
{
    if (!info(key))
        return;
    auto self = shared_from_this();
    if (key == 0)
        inlineInfo_.reset();
    else
        infos_.erase(key);
    removeClosure(key);
    if (isDisposed_)
        return;
    if (!inlineInfo_ && infos_.empty())
        terminateAsCancelled();
    else
        updatePriority(std::nullopt);
}

void AsyncTaskBase::updatePriority(std::optional<TaskPriority> suggested)
{
    TaskPriority newPriority;
    if (suggested && *suggested >= priority_) {
        newPriority = *suggested;
    } else {
        std::optional<TaskPriority> highest;
        if (inlineInfo_)
            highest = inlineInfo_->priority;
        for (const auto& [key, subscription] : infos_)
            highest = std::max(highest.value_or(subscription.priority), subscription.priority);
        newPriority = highest.value_or(TaskPriority::normal);
    }
    if (newPriority == priority_)
        return;
    priority_ = newPriority;
    if (auto queued = operation.lock())
        queued->setQueuePriority(queuePriority(newPriority));
    if (dependency)
        dependency->setPriority(newPriority);
    if (dependency2)
        dependency2->setPriority(newPriority);
}

void AsyncTaskBase::terminateAsFinished()
{
    if (isDisposed_)
        return;
    isDisposed_ = true;
    if (auto disposed = std::exchange(onDisposed, nullptr))
        disposed();
}

void AsyncTaskBase::terminateAsCancelled()
{
    if (isDisposed_)
        return;
    isDisposed_ = true;
    if (auto queued = operation.lock())
        queued->cancel();
    if (auto upstream = std::exchange(dependency, std::nullopt))
        upstream->unsubscribe();
    if (auto upstream = std::exchange(dependency2, std::nullopt))
        upstream->unsubscribe();
    if (auto cancelled = std::exchange(onCancelled, nullptr))
        cancelled();
    if (auto disposed = std::exchange(onDisposed, nullptr))
        disposed();
}

} // namespace parley
