#pragma once

#include "images/engine/internal/Stage.h"

#include <QHash>

#include <functional>
#include <memory>

namespace parley {

// Hands out one shared stage task per key (coalescing) until that task is
// disposed; the next request with an equal key then gets a fresh task. Use
// only on the pipeline's serial queue. Key needs qHash and ==.
template <typename Key, typename Value, typename Failure>
class StagePool {
public:
    using Task = Stage<Value, Failure>;

    explicit StagePool(bool isCoalescingEnabled)
        : isCoalescingEnabled_(isCoalescingEnabled), map_(std::make_shared<Map>())
    { }

    bool isCoalescingEnabled() const { return isCoalescingEnabled_; }

    std::shared_ptr<Task> task(const Key& key, const std::function<std::shared_ptr<Task>()>& make)
    {
        if (!isCoalescingEnabled_)
            return make();
        if (auto found = map_->constFind(key); found != map_->cend())
            return *found;
        auto task = make();
        map_->insert(key, task);
        std::weak_ptr<Map> weakMap = map_;
        std::weak_ptr<Task> weakTask = task;
        task->onDisposed = [weakMap, weakTask, key] {
            auto map = weakMap.lock();
            if (!map)
                return;
            auto found = map->find(key);
            if (found != map->end() && *found == weakTask.lock())
                map->erase(found);
        };
        return task;
    }

    // The number of tasks currently shared.
    qsizetype count() const { return map_->size(); }

private:
    using Map = QHash<Key, std::shared_ptr<Task>>;

    bool isCoalescingEnabled_;
    std::shared_ptr<Map> map_;
};

} // namespace parley
