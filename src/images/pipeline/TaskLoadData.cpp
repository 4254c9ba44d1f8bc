#include "images/pipeline/TaskLoadData.h"

#include "images/pipeline/ImagePipelineDelegate.h"

namespace parley {

void TaskLoadData::start()
{
    DataCaching* cache = pipeline_.delegate().dataCache(pipeline_, request_);
    if (!cache || request_.options().testFlag(ImageRequest::Option::noDiskCacheReads)) {
        loadData();
        return;
    }
    runOperation(*pipeline_.dataCachingQueue_,
        [cache, key = request_.imageId().value_or(QString())] { return cache->cachedData(key); },
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

void TaskLoadData::loadData()
{
    if (request_.options().testFlag(ImageRequest::Option::cacheOnly)) {
        send(ImagePipelineError::dataMissingInCache());
        return;
    }
    const auto upstream = pipeline_.makeTaskFetchOriginalImageData(request_);
    dependency = upstream->subscribe(priority(),
        [weak = weakSelf(this)](const AsyncTask<LoadedData, ImagePipelineError>::Event& event) {
            const auto self = weak.lock();
            if (!self)
                return;
            if (const auto* value = std::get_if<0>(&event)) {
                if (value->isCompleted)
                    self->send(value->value, true);
            } else if (const auto* progress = std::get_if<ImageTask::Progress>(&event)) {
                self->send(*progress);
            } else {
                self->send(std::get<ImagePipelineError>(event));
            }
        });
}

} // namespace parley
