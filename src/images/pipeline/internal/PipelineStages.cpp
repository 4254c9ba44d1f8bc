#include "images/pipeline/internal/PipelineStages.h"

#include "images/pipeline/ImagePipelineDelegate.h"
#include "images/pipeline/internal/FetchDecodedImageStage.h"
#include "images/pipeline/internal/FetchOriginalDataStage.h"
#include "images/pipeline/internal/FetchPublishedDataStage.h"
#include "images/pipeline/internal/LoadDataStage.h"
#include "images/pipeline/internal/LoadImageStage.h"

namespace parley {

namespace {

std::shared_ptr<OperationQueue> makeQueue(const char* name, int width)
{
    return std::make_shared<OperationQueue>(QStringLiteral("parley.images.") + QLatin1String(name), width);
}

} // namespace

PipelineStages::PipelineStages(ImagePipeline& pipeline, SerialQueue& queue)
    : pipeline_(pipeline)
    , pipelineQueue_(std::make_shared<ClosableQueue>(&queue))
    , dataLoadingQueue_(makeQueue("dataLoading", configuration().dataLoadingQueueWidth))
    , dataCachingQueue_(makeQueue("dataCaching", configuration().dataCachingQueueWidth))
    , imageDecodingQueue_(makeQueue("imageDecoding", configuration().imageDecodingQueueWidth))
    , imageEncodingQueue_(makeQueue("imageEncoding", configuration().imageEncodingQueueWidth))
    , imageProcessingQueue_(makeQueue("imageProcessing", configuration().imageProcessingQueueWidth))
    , imageDecompressingQueue_(makeQueue("imageDecompressing", configuration().imageDecompressingQueueWidth))
    , loadImageStages_(configuration().isTaskCoalescingEnabled)
    , loadDataStages_(configuration().isTaskCoalescingEnabled)
    , fetchDecodedImageStages_(configuration().isTaskCoalescingEnabled)
    , fetchOriginalDataStages_(configuration().isTaskCoalescingEnabled)
    , processImageStages_(configuration().isTaskCoalescingEnabled)
{
    if (configuration().isRateLimiterEnabled)
        rateLimiter_.emplace([queue = &queue](std::chrono::milliseconds delay, std::function<void()> drain) {
            queue->asyncAfter(delay, std::move(drain));
        });
}

QString PipelineStages::dataCacheKey(const ImageRequest& request) const
{
    if (auto custom = delegate().cacheKey(pipeline_, request))
        return *custom;
    QString key = request.imageId().value_or(QString());
    if (const auto thumbnail = request.thumbnail())
        key += thumbnail->identifier();
    for (const auto& processor : request.processors())
        key += processor->identifier();
    return key;
}

QString PipelineStages::originalDataCacheKey(const ImageRequest& request) const
{
    ImageRequest original = request;
    original.setProcessors({});
    if (auto userInfo = original.userInfo()) {
        userInfo->remove(ImageRequest::thumbnailKey);
        original.setUserInfo(std::move(userInfo));
    }
    return dataCacheKey(original);
}

std::shared_ptr<PipelineStages::ImageStage> PipelineStages::loadImage(const ImageRequest& request)
{
    return loadImageStages_.task(
        ImageLoadKey(request), [&] { return std::make_shared<LoadImageStage>(*this, request); });
}

std::shared_ptr<PipelineStages::DataStage> PipelineStages::loadData(const ImageRequest& request)
{
    return loadDataStages_.task(ImageLoadKey(request), [&] { return std::make_shared<LoadDataStage>(*this, request); });
}

std::shared_ptr<PipelineStages::ImageStage> PipelineStages::fetchDecodedImage(const ImageRequest& request)
{
    return fetchDecodedImageStages_.task(
        DecodedImageLoadKey(request), [&] { return std::make_shared<FetchDecodedImageStage>(*this, request); });
}

std::shared_ptr<PipelineStages::DataStage> PipelineStages::fetchOriginalData(const ImageRequest& request)
{
    return fetchOriginalDataStages_.task(DataLoadKey(request), [&]() -> std::shared_ptr<DataStage> {
        if (std::holds_alternative<DataPublisher>(request.resource()))
            return std::make_shared<FetchPublishedDataStage>(*this, request);
        return std::make_shared<FetchOriginalDataStage>(*this, request);
    });
}

std::shared_ptr<PipelineStages::ImageStage> PipelineStages::processImage(
    const ImageProcessingKey& key, const std::function<std::shared_ptr<ImageStage>()>& make)
{
    return processImageStages_.task(key, make);
}

} // namespace parley
