#include "images/pipeline/internal/LoadDataStage.h"

#include "images/pipeline/ImagePipelineDelegate.h"

namespace parley {

void LoadDataStage::start()
{
    DataCaching* cache = stages_.delegate().dataCache(pipeline(), request_);
    if (!cache || request_.options().testFlag(ImageRequest::Option::noDiskCacheReads)) {
        loadData();
        return;
    }
    runOperation(
        stages_.dataCachingQueue(),
        [cache, key = stages_.originalDataCacheKey(request_)] { return cache->cachedData(key); },
        [weak = weakSelf(this)](const std::optional<QByteArray>& data) {
            const auto self = weak.lock();
            if (!self || self->isDisposed())
                return;
            if (data)
                self->send(LoadedData { *data, std::nullopt }, true);
            else
                self->loadData();
        });
}

void LoadDataStage::loadData()
{
    if (request_.options().testFlag(ImageRequest::Option::cacheOnly)) {
        send(ImagePipelineError::dataMissingInCache());
        return;
    }
    subscribeTo(
        this, stages_.fetchOriginalData(request_), [](LoadDataStage& self, const LoadedData& data, bool isCompleted) {
            if (isCompleted)
                self.send(data, true);
        });
}

} // namespace parley
