#include "images/engine/internal/Stage.h"

namespace parley {

void StageSubscription::setPriority(StagePriority priority) const
{
    task_->setPriority(key_, priority);
}

void StageSubscription::unsubscribe() const
{
    task_->unsubscribe(key_);
}

StageBase::SubscriptionInfo* StageBase::info(int key)
{
    if (key == 0)
        return inlineInfo_ ? &*inlineInfo_ : nullptr;
    auto found = infos_.find(key);
    return found == infos_.end() ? nullptr : &found->second;
}

void StageBase::subscribed(StagePriority priority)
{
    updatePriority(priority);
    if (!isStarted_) {
        isStarted_ = true;
        start();
    }
}

void StageBase::setPriority(int key, StagePriority priority)
{
    auto* subscription = info(key);
    if (!subscription)
        return;
    subscription->priority = priority;
    updatePriority(priority);
}

void StageBase::unsubscribe(int key)
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

void StageBase::updatePriority(std::optional<StagePriority> suggested)
{
    StagePriority newPriority;
    if (suggested && *suggested >= priority_) {
        newPriority = *suggested;
    } else {
        std::optional<StagePriority> highest;
        if (inlineInfo_)
            highest = inlineInfo_->priority;
        for (const auto& [key, subscription] : infos_)
            highest = std::max(highest.value_or(subscription.priority), subscription.priority);
        newPriority = highest.value_or(StagePriority::normal);
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

void StageBase::terminateAsFinished()
{
    if (isDisposed_)
        return;
    isDisposed_ = true;
    if (auto disposed = std::exchange(onDisposed, nullptr))
        disposed();
}

void StageBase::terminateAsCancelled()
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

void StageBase::collectSubscribers(const std::type_info& type, std::vector<std::shared_ptr<void>>& found) const
{
    auto visit = [&type, &found](const SubscriptionInfo& info) {
        if (info.subscriberType && *info.subscriberType == type) {
            if (auto subscriber = info.subscriber.lock())
                found.push_back(std::move(subscriber));
        } else if (const auto stage = info.stage.lock()) {
            stage->collectSubscribers(type, found);
        }
    };
    if (inlineInfo_)
        visit(*inlineInfo_);
    for (const auto& [key, info] : infos_)
        visit(info);
}

} // namespace parley
