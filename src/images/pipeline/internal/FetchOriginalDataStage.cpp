#include "images/pipeline/internal/FetchOriginalDataStage.h"

#include "images/pipeline/ImagePipelineDelegate.h"
#include "images/loading/ResumableDataStorage.h"
#include "platform/TransportError.h"

namespace parley {

void FetchOriginalDataStage::start()
{
    const auto urlRequest = request_.urlRequest();
    if (!urlRequest || !urlRequest->url().isValid() || urlRequest->url().isRelative()) {
        send(ImagePipelineError::dataLoadingFailed(
            std::make_exception_ptr(TransportError(QNetworkReply::ProtocolUnknownError, QStringLiteral("bad URL")))));
        return;
    }
    RateLimiter* rateLimiter = stages_.rateLimiter();
    if (!rateLimiter) {
        enqueueLoad();
        return;
    }
    // A stage disposed before its turn starts nothing and costs no token.
    rateLimiter->execute([weak = weakSelf(this)] {
        const auto self = weak.lock();
        if (!self || self->isDisposed())
            return false;
        self->enqueueLoad();
        return true;
    });
}

void FetchOriginalDataStage::enqueueLoad()
{
    runInLoadingSlot(this, &FetchOriginalDataStage::load);
}

void FetchOriginalDataStage::load(const AsyncOperation::Finish& finish)
{
    QNetworkRequest urlRequest = *request_.urlRequest();
    const QString imageId = request_.originalImageId().value_or(QString());
    if (stages_.configuration().isResumableDataEnabled) {
        resumableData_ = ResumableDataStorage::shared().take(pipeline().id(), imageId);
        if (resumableData_)
            resumableData_->applyTo(urlRequest);
    }
    const auto queue = stages_.pipelineQueue();
    const auto weak = weakSelf(this);
    const auto loader = stages_.delegate().dataLoader(pipeline(), request_);
    loading_ = loader->loadData(urlRequest,
        [queue, weak](const QByteArray& chunk, const UrlResponse& response) {
            queue->async([weak, chunk, response] {
                if (const auto self = weak.lock())
                    self->didReceiveData(chunk, response);
            });
        },
        [queue, weak, finish](std::exception_ptr error) {
            queue->async([weak, finish, error] {
                if (finish)
                    finish();
                if (const auto self = weak.lock())
                    self->didFinishLoading(error);
            });
        });
    onCancelled = [this] {
        storeResumableData();
        loading_->cancel();
    };
}

void FetchOriginalDataStage::didReceiveData(const QByteArray& chunk, const UrlResponse& response)
{
    if (isDisposed())
        return;
    if (!urlResponse_) {
        // Only a partial-content answer continues the stored bytes.
        if (resumableData_ && ResumableData::isResumedResponse(response)) {
            data_ = resumableData_->data;
            resumedDataCount_ = data_.size();
        }
        resumableData_.reset();
    }
    data_.append(chunk);
    urlResponse_ = response;
    const qint64 expected = response.expectedContentLength;
    const qint64 total = expected >= 0 ? expected + resumedDataCount_ : 0;
    send(ImageTask::Progress { data_.size(), total });
    if (data_.size() < total)
        send(LoadedData { data_, response }, false);
}

void FetchOriginalDataStage::didFinishLoading(const std::exception_ptr& error)
{
    if (isDisposed())
        return;
    if (error) {
        storeResumableData();
        send(ImagePipelineError::dataLoadingFailed(error));
        return;
    }
    if (data_.isEmpty()) {
        send(ImagePipelineError::dataIsEmpty());
        return;
    }
    storeInDataCache();
    send(LoadedData { data_, urlResponse_ }, true);
}

void FetchOriginalDataStage::storeResumableData()
{
    if (!stages_.configuration().isResumableDataEnabled || !urlResponse_ || data_.isEmpty())
        return;
    if (auto resumable = ResumableData::capture(*urlResponse_, data_))
        ResumableDataStorage::shared().store(pipeline().id(), request_.originalImageId().value_or(QString()),
            std::move(*resumable));
}

void FetchOriginalDataStage::storeInDataCache()
{
    using Policy = ImagePipeline::DataCachePolicy;
    const Policy policy = stages_.configuration().dataCachePolicy;
    const bool storesOriginal = policy == Policy::storeOriginalData || policy == Policy::storeAll
        || (policy == Policy::automatic && request_.processors().isEmpty());
    DataCaching* cache = stages_.delegate().dataCache(pipeline(), request_);
    if (!cache || !storesOriginal || (request_.options() & ImageRequest::Option::noDiskCacheWrites))
        return;
    const auto data = stages_.delegate().willCache(pipeline(), data_, request_);
    if (!data)
        return;
    const QString key = request_.imageId().value_or(QString());
    stages_.dataCachingQueue().addOperation(std::make_shared<AsyncOperation>(
        [cache, data = *data, key](AsyncOperation::Finish finish) {
            cache->storeData(data, key);
            finish();
        }));
}

} // namespace parley
