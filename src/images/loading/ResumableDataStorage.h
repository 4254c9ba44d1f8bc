#pragma once

#include "images/cache/Cache.h"
#include "images/loading/ResumableData.h"

#include <QSet>
#include <QUuid>

#include <memory>
#include <mutex>

namespace parley {

// A store of interrupted downloads shared by the pipelines given it, kept per
// pipeline and image so a later load of the same image can continue with a
// range request. Holds at most 100 entries and 32,000,000 bytes while at
// least one pipeline is registered; forgets everything when the last one
// unregisters. Empties itself on memory pressure, like the image cache.
// Every member may be called from any thread.
class ResumableDataStorage {
public:
    explicit ResumableDataStorage(MemoryPressureSource* memoryPressure = nullptr) : memoryPressure_(memoryPressure) { }

    void registerPipeline(const QUuid& pipelineId);
    void unregisterPipeline(const QUuid& pipelineId);

    // Takes the entry out: a stored download is resumed at most once.
    std::optional<ResumableData> take(const QUuid& pipelineId, const QString& imageId);
    // An empty image id stores nothing.
    void store(const QUuid& pipelineId, const QString& imageId, ResumableData data);

    struct Key {
        QUuid pipelineId;
        QString imageId;
        bool operator==(const Key&) const = default;
    };

private:
    MemoryPressureSource* const memoryPressure_;
    std::mutex mutex_;
    QSet<QUuid> registeredPipelines_;
    std::unique_ptr<Cache<Key, ResumableData>> cache_;
};

inline size_t qHash(const ResumableDataStorage::Key& key, size_t seed = 0)
{
    return qHashMulti(seed, key.pipelineId, key.imageId);
}

} // namespace parley
