#include "images/loading/ResumableDataStorage.h"

namespace parley {

void ResumableDataStorage::registerPipeline(const QUuid& pipelineId)
{
    std::lock_guard lock(mutex_);
    if (registeredPipelines_.isEmpty()) {
        Cache<Key, ResumableData>::Configuration configuration;
        configuration.costLimit = 32'000'000;
        configuration.countLimit = 100;
        cache_ = std::make_unique<Cache<Key, ResumableData>>(configuration, memoryPressure_);
    }
    registeredPipelines_.insert(pipelineId);
}

void ResumableDataStorage::unregisterPipeline(const QUuid& pipelineId)
{
    std::lock_guard lock(mutex_);
    registeredPipelines_.remove(pipelineId);
    if (registeredPipelines_.isEmpty())
        cache_.reset();
}

std::optional<ResumableData> ResumableDataStorage::take(const QUuid& pipelineId, const QString& imageId)
{
    std::lock_guard lock(mutex_);
    if (!cache_ || imageId.isEmpty())
        return std::nullopt;
    return cache_->removeValue(Key { pipelineId, imageId });
}

void ResumableDataStorage::store(const QUuid& pipelineId, const QString& imageId, ResumableData data)
{
    std::lock_guard lock(mutex_);
    if (!cache_ || imageId.isEmpty())
        return;
    const qint64 cost = data.data.size();
    cache_->set(Key { pipelineId, imageId }, std::move(data), cost);
}

} // namespace parley
