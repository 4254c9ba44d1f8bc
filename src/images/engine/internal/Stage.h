#pragma once

#include "images/engine/internal/StagePriority.h"
#include "images/engine/internal/StageSubscription.h"
#include "images/model/ImageTaskProgress.h"
#include "platform/QueueOperation.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <typeinfo>
#include <variant>
#include <vector>

namespace parley {

// The part of a stage task that does not depend on its value type: the
// lifecycle, the subscriber priorities and the links upstream. Everything
// here is used only on the pipeline's serial queue and takes no locks.
class StageBase : public std::enable_shared_from_this<StageBase> {
public:
    virtual ~StageBase() = default;
    StageBase(const StageBase&) = delete;
    StageBase& operator=(const StageBase&) = delete;

    bool isDisposed() const { return isDisposed_; }
    bool isStarted() const { return isStarted_; }
    StagePriority priority() const { return priority_; }
    // The live subscribers of type Subscriber waiting for this stage, directly
    // or through the stages subscribed to it.
    template <typename Subscriber>
    std::vector<std::shared_ptr<Subscriber>> subscribersOfType() const
    {
        std::vector<std::shared_ptr<void>> found;
        collectSubscribers(typeid(Subscriber), found);
        std::vector<std::shared_ptr<Subscriber>> subscribers;
        subscribers.reserve(found.size());
        for (auto& subscriber : found)
            subscribers.push_back(std::static_pointer_cast<Subscriber>(std::move(subscriber)));
        return subscribers;
    }

    // Run once when the task finishes or is cancelled; the pool uses it to
    // forget the task.
    std::function<void()> onDisposed;
    // Run once when the last subscriber leaves before the task finished.
    std::function<void()> onCancelled;

    // This task's subscriptions to upstream tasks: they follow its priority
    // and are left when it is cancelled.
    std::optional<StageSubscription> dependency;
    std::optional<StageSubscription> dependency2;
    // The queued operation doing the task's work: it follows the priority and
    // is cancelled with the task.
    std::weak_ptr<QueueOperation> operation;

protected:
    StageBase() = default;

    // The stage's work, begun by the first subscription.
    virtual void start() = 0;

    void subscribed(StagePriority priority);
    void terminateAsFinished();

    struct SubscriptionInfo {
        std::weak_ptr<void> subscriber;
        const std::type_info* subscriberType;
        StagePriority priority;
        // Set when the subscriber is itself a stage.
        std::weak_ptr<const StageBase> stage;
    };
    std::optional<SubscriptionInfo> inlineInfo_;
    std::map<int, SubscriptionInfo> infos_;
    int nextSubscriptionKey_ = 0;

    // Subscriptions are added by the typed subclass, which also keeps the
    // event closures under the same keys.
    virtual void removeClosure(int key) = 0;

private:
    friend class StageSubscription;

    void setPriority(int key, StagePriority priority);
    void unsubscribe(int key);
    void updatePriority(std::optional<StagePriority> suggested);
    void terminateAsCancelled();
    SubscriptionInfo* info(int key);
    void collectSubscribers(const std::type_info& type, std::vector<std::shared_ptr<void>>& found) const;

    bool isDisposed_ = false;
    bool isStarted_ = false;
    StagePriority priority_ = StagePriority::normal;
};

// A stage task: work shared by any number of subscribers, each with its own
// priority, that reports values, progress and one final value or error to
// all of them. Use only on the pipeline's serial queue; create with
// std::make_shared (subclasses implement start()).
template <typename Value, typename Failure>
class Stage : public StageBase {
public:
    struct ValueEvent {
        Value value;
        bool isCompleted;
    };
    using Event = std::variant<ValueEvent, ImageTaskProgress, Failure>;
    using Handler = std::function<void(const Event&)>;

    // Subscribes `subscriber` (held weakly) with `handler`; none when the task
    // has already finished or been cancelled. The first subscription starts
    // the task's work.
    template <typename Subscriber>
    std::optional<StageSubscription> subscribe(
        StagePriority priority, const std::shared_ptr<Subscriber>& subscriber, Handler handler)
    {
        std::weak_ptr<const StageBase> stage;
        if constexpr (std::is_base_of_v<StageBase, Subscriber>)
            stage = subscriber;
        return subscribe(
            priority, std::weak_ptr<void>(subscriber), &typeid(Subscriber), std::move(handler), std::move(stage));
    }

    std::optional<StageSubscription> subscribe(StagePriority priority, Handler handler)
    {
        return subscribe(priority, std::weak_ptr<void>(), nullptr, std::move(handler), {});
    }

    // Whether a live subscriber of type Subscriber is among the subscribers.
    template <typename Subscriber>
    bool hasSubscriberOfType() const
    {
        auto matches = [](const SubscriptionInfo& info) {
            return info.subscriberType && *info.subscriberType == typeid(Subscriber) && !info.subscriber.expired();
        };
        if (inlineInfo_ && matches(*inlineInfo_))
            return true;
        for (const auto& [key, info] : infos_)
            if (matches(info))
                return true;
        return false;
    }

    // A final value (isCompleted) or an error ends the task before it is
    // delivered; a disposed task sends nothing.
    void send(Value value, bool isCompleted) { dispatch(Event(ValueEvent { std::move(value), isCompleted })); }
    void send(ImageTaskProgress progress) { dispatch(Event(progress)); }
    void send(Failure error) { dispatch(Event(std::move(error))); }

private:
    std::optional<StageSubscription> subscribe(StagePriority priority, std::weak_ptr<void> subscriber,
        const std::type_info* type, Handler handler, std::weak_ptr<const StageBase> stage)
    {
        if (isDisposed())
            return std::nullopt;
        const int key = nextSubscriptionKey_++;
        SubscriptionInfo info { std::move(subscriber), type, priority, std::move(stage) };
        if (key == 0)
            inlineInfo_ = std::move(info);
        else
            infos_.emplace(key, std::move(info));
        handlers_.emplace(key, std::move(handler));
        auto self = shared_from_this();
        subscribed(priority);
        return StageSubscription(self, key);
    }

    void dispatch(const Event& event)
    {
        if (isDisposed())
            return;
        auto self = shared_from_this(); // a handler may drop the last reference
        const bool isFinal = std::holds_alternative<Failure>(event) ||
            (std::holds_alternative<ValueEvent>(event) && std::get<ValueEvent>(event).isCompleted);
        if (isFinal)
            terminateAsFinished();
        // Handlers may unsubscribe others: each is looked up again before it runs.
        std::vector<int> keys;
        keys.reserve(handlers_.size());
        for (const auto& [key, handler] : handlers_)
            keys.push_back(key);
        for (int key : keys) {
            auto found = handlers_.find(key);
            if (found == handlers_.end())
                continue;
            Handler handler = found->second;
            handler(event);
        }
    }

    void removeClosure(int key) override { handlers_.erase(key); }

    std::map<int, Handler> handlers_;
};

} // namespace parley
