#include "images/pipeline/TaskFetchOriginalImageData.h"

#include "images/pipeline/ImagePipelineDelegate.h"
#include "images/loading/ResumableDataStorage.h"
#include "images/loading/UrlError.h"

namespace parley {

void TaskFetchOriginalImageData::start()
{
    const auto urlRequest = request_.urlRequest();
    if (!urlRequest || !urlRequest->url().isValid() || urlRequest->url().isRelative()) {
        send(ImagePipelineError::dataLoadingFailed(
            std::make_exception_ptr(UrlError(QNetworkReply::ProtocolUnknownError, QStringLiteral("bad URL")))));
        return;
    }
    if (!pipeline_.rateLimiter_) {
        enqueueLoad();
        return;
    }
    // A stage disposed before its turn starts nothing and costs no token.
    pipeline_.rateLimiter_->execute([weak = weakSelf(this)] {
        const auto self = weak.lock();
        if (!self || self->isDisposed())
            return false;
        self->enqueueLoad();
        return true;
    });
}

void TaskFetchOriginalImageData::enqueueLoad()
{
    if (request_.options() & ImageRequest::Option::bypassDataLoadingQueue) {
        load({});
        return;
    }
    // The operation holds its slot of the loading queue until the download ends.
    auto operation = std::make_shared<Operation>(
        [queue = pipeline_.closableQueue_, weak = weakSelf(this)](Operation::Finish finish) {
            queue->async([weak, finish] {
                const auto self = weak.lock();
                if (!self || self->isDisposed())
                    finish();
                else
                    self->load(finish);
            });
        });
    operation->setQueuePriority(queuePriority(priority()));
    this->operation = operation;
    pipeline_.dataLoadingQueue_->addOperation(operation);
}

void TaskFetchOriginalImageData::load(const Operation::Finish& finish)
{
    QNetworkRequest urlRequest = *request_.urlRequest();
    const QString imageId = request_.originalImageId().value_or(QString());
    if (pipeline_.configuration_.isResumableDataEnabled) {
        resumableData_ = ResumableDataStorage::shared().take(pipeline_.id_, imageId);
        if (resumableData_)
            resumableData_->applyTo(urlRequest);
    }
    const auto queue = pipeline_.closableQueue_;
    const auto weak = weakSelf(this);
    const auto loader = pipeline_.delegate().dataLoader(pipeline_, request_);
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

void TaskFetchOriginalImageData::didReceiveData(const QByteArray& chunk, const UrlResponse& response)
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

void TaskFetchOriginalImageData::didFinishLoading(const std::exception_ptr& error)
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

void TaskFetchOriginalImageData::storeResumableData()
{
    if (!pipeline_.configuration_.isResumableDataEnabled || !urlResponse_ || data_.isEmpty())
        return;
    if (auto resumable = ResumableData::capture(*urlResponse_, data_))
        ResumableDataStorage::shared().store(pipeline_.id_, request_.originalImageId().value_or(QString()),
            std::move(*resumable));
}

void TaskFetchOriginalImageData::storeInDataCache()
{
    using Policy = ImagePipeline::DataCachePolicy;
    const Policy policy = pipeline_.configuration_.dataCachePolicy;
    const bool storesOriginal = policy == Policy::storeOriginalData || policy == Policy::storeAll
        || (policy == Policy::automatic && request_.processors().isEmpty());
    DataCaching* cache = pipeline_.delegate().dataCache(pipeline_, request_);
    if (!cache || !storesOriginal || (request_.options() & ImageRequest::Option::noDiskCacheWrites))
        return;
    const auto data = pipeline_.delegate().willCache(pipeline_, data_, request_);
    if (!data)
        return;
    const QString key = request_.imageId().value_or(QString());
    pipeline_.dataCachingQueue_->addOperation(std::make_shared<Operation>(
        [cache, data = *data, key](Operation::Finish finish) {
            cache->storeData(data, key);
            finish();
        }));
}

} // namespace parley
