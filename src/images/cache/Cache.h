#pragma once

#include "images/cache/LinkedList.h"
#include "platform/MemoryPressureSource.h"

#include <QHash>

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

namespace parley {

// A least-recently-used map with a total-cost limit, a count limit, an
// optional time-to-live and a per-entry cost ceiling. Every operation holds
// the cache's lock for its whole duration, so the cache may be used from any
// thread. When given a memory-pressure source it empties itself on warning
// and critical pressure (on the source's thread).
// Key needs qHash and ==.
template <typename Key, typename Value>
class Cache {
public:
    using Clock = std::chrono::steady_clock;
    using Seconds = std::chrono::duration<double>;

    struct Configuration {
        qint64 costLimit = std::numeric_limits<qint64>::max();
        qint64 countLimit = std::numeric_limits<qint64>::max();
        std::optional<Seconds> ttl;
        // A fraction of costLimit: entries costing at least this much are not kept.
        double entryCostLimit = 0.1;
    };

    explicit Cache(Configuration configuration, MemoryPressureSource* memoryPressure = nullptr)
        : state_(std::make_shared<State>())
    {
        state_->conf = configuration;
        if (memoryPressure)
            watchMemoryPressure(memoryPressure);
    }

    ~Cache() { QObject::disconnect(memoryPressureConnection_); }
    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;

    Configuration configuration() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->conf;
    }

    // Takes the new limits and trims to them at once.
    void setConfiguration(Configuration configuration)
    {
        std::lock_guard lock(state_->mutex);
        state_->conf = configuration;
        state_->trimToCost(configuration.costLimit);
        state_->trimToCount(configuration.countLimit);
    }

    std::optional<Value> value(const Key& key)
    {
        std::lock_guard lock(state_->mutex);
        auto found = state_->map.constFind(key);
        if (found == state_->map.cend())
            return std::nullopt;
        Node* node = *found;
        if (node->value.expiration && *node->value.expiration <= Clock::now()) {
            state_->remove(node);
            return std::nullopt;
        }
        state_->list.moveToEnd(node);
        return node->value.value;
    }

    // Stores `value` unless its cost reaches the entry ceiling, then trims to
    // the limits. `ttl` overrides the configured time-to-live. A refused value
    // still replaces the key's old one: that is out of date.
    void set(const Key& key, Value value, qint64 cost, std::optional<Seconds> ttl = std::nullopt)
    {
        std::lock_guard lock(state_->mutex);
        auto& s = *state_;
        if (auto found = s.map.constFind(key); found != s.map.cend())
            s.remove(*found);
        if (s.conf.costLimit <= std::numeric_limits<int>::max()) {
            const double fraction = std::clamp(s.conf.entryCostLimit, 0.0, 1.0);
            if (cost >= qint64(double(s.conf.costLimit) * fraction))
                return;
        }
        std::optional<Clock::time_point> expiration;
        if (auto lifetime = ttl ? ttl : s.conf.ttl)
            expiration = Clock::now() + std::chrono::duration_cast<Clock::duration>(*lifetime);
        s.map.insert(key, s.list.append(Entry { std::move(value), key, cost, expiration }));
        s.totalCost += cost;
        s.trimToCost(s.conf.costLimit);
        s.trimToCount(s.conf.countLimit);
    }

    std::optional<Value> removeValue(const Key& key)
    {
        std::lock_guard lock(state_->mutex);
        auto found = state_->map.constFind(key);
        if (found == state_->map.cend())
            return std::nullopt;
        Value value = std::move((*found)->value.value);
        state_->remove(*found);
        return value;
    }

    void removeAll()
    {
        std::lock_guard lock(state_->mutex);
        state_->removeAll();
    }

    void trim(qint64 toCost)
    {
        std::lock_guard lock(state_->mutex);
        state_->trimToCost(toCost);
    }

    void trimToCount(qint64 count)
    {
        std::lock_guard lock(state_->mutex);
        state_->trimToCount(count);
    }

    qint64 totalCost() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->totalCost;
    }

    qint64 totalCount() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->map.size();
    }

private:
    struct Entry {
        Value value;
        Key key;
        qint64 cost;
        std::optional<Clock::time_point> expiration;
    };
    using Node = typename LinkedList<Entry>::Node;

    // Held weakly by the memory-pressure handler, which may run while the
    // cache is being destroyed on another thread.
    struct State {
        std::mutex mutex;
        Configuration conf;
        qint64 totalCost = 0;
        QHash<Key, Node*> map;
        LinkedList<Entry> list;

        void remove(Node* node)
        {
            map.remove(node->value.key);
            totalCost -= node->value.cost;
            list.remove(node);
        }

        void trimToCost(qint64 limit)
        {
            while (totalCost > limit && !list.isEmpty())
                remove(list.first());
        }

        void trimToCount(qint64 limit)
        {
            while (map.size() > limit && !list.isEmpty())
                remove(list.first());
        }

        void removeAll()
        {
            map.clear();
            list.removeAll();
            totalCost = 0;
        }
    };

    void watchMemoryPressure(MemoryPressureSource* source)
    {
        std::weak_ptr<State> weak = state_;
        memoryPressureConnection_ = QObject::connect(
            source, &MemoryPressureSource::pressure, source, [weak](MemoryPressureSource::Level) {
                if (auto state = weak.lock()) {
                    std::lock_guard lock(state->mutex);
                    state->removeAll();
                }
            });
    }

    std::shared_ptr<State> state_;
    QMetaObject::Connection memoryPressureConnection_;
};

} // namespace parley
