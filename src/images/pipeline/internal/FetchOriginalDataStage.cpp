#include "images/pipeline/internal/FetchOriginalDataStage.h"

#include "images/loading/ResumableDataStorage.h"
#include "images/pipeline/ImagePipelineDelegate.h"
#include "platform/TransportError.h"

#include <algorithm>

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

// One download's bytes, shared with the loader's callbacks so that what the
// loader hands over after a cancellation (a buffered body) is still kept for
// resuming. Touched only on the pipeline's queue.
struct FetchOriginalDataStage::Download {
    std::shared_ptr<ResumableDataStorage> storage;
    QUuid pipelineId;
    QString imageId;
    bool isResumableDataEnabled = false;
    // Stored bytes this download may continue, until its first answer.
    std::optional<ResumableData> resumable;
    std::optional<URLResponse> response;
    QByteArray data;
    qint64 resumedDataCount = 0;
    // Bumped when the load starts over; the older load's events are stale.
    int attempt = 0;
    bool isCancelled = false;
    // The answer was a range that does not continue the stored bytes.
    bool isRejected = false;

    // False when the answer is a range that does not continue the stored
    // bytes: the load must start over without them.
    bool receive(const QByteArray& chunk, const URLResponse& answer)
    {
        if (!response && !isRejected) {
            const auto stored = std::exchange(resumable, std::nullopt);
            if (stored && stored->isContinuedBy(answer)) {
                data = stored->data;
                resumedDataCount = data.size();
            } else if (stored && answer.statusCode == 206) {
                isRejected = true;
            }
        }
        if (isRejected)
            return false;
        data.append(chunk);
        response = answer;
        return true;
    }

    // Starts over from the first byte; returns the new attempt.
    int restart()
    {
        isRejected = false;
        response.reset();
        data.clear();
        resumedDataCount = 0;
        return ++attempt;
    }

    void keepForResuming() const
    {
        if (!isResumableDataEnabled || !response || data.isEmpty())
            return;
        if (auto kept = ResumableData::capture(*response, data))
            storage->store(pipelineId, imageId, std::move(*kept));
    }
};

void FetchOriginalDataStage::load(const AsyncOperation::Finish& finish)
{
    finish_ = finish;
    download_ = std::make_shared<Download>();
    download_->storage = stages_.configuration().services.resumableData;
    download_->pipelineId = pipeline().id();
    download_->imageId = request_.originalImageId().value_or(QString());
    download_->isResumableDataEnabled = stages_.configuration().isResumableDataEnabled;
    if (download_->isResumableDataEnabled)
        download_->resumable = download_->storage->take(download_->pipelineId, download_->imageId);
    startLoading();
    onCancelled = [this] {
        download_->isCancelled = true;
        download_->keepForResuming();
        loading_->cancel();
    };
}

void FetchOriginalDataStage::startLoading()
{
    QNetworkRequest urlRequest = *request_.urlRequest();
    if (download_->resumable)
        download_->resumable->applyTo(urlRequest);
    const int attempt = download_->restart();
    const auto queue = stages_.pipelineQueue();
    const auto weak = weakSelf(this);
    const auto loader = stages_.delegate().dataLoader(pipeline(), request_);
    loading_ = loader->loadData(
        urlRequest,
        [queue, weak, download = download_, attempt](const QByteArray& chunk, const URLResponse& response) {
            queue->async([weak, download, attempt, chunk, response] {
                if (download->attempt != attempt)
                    return;
                if (const auto self = weak.lock(); self && !self->isDisposed())
                    self->didReceiveData(chunk, response);
                else if (download->isCancelled)
                    download->receive(chunk, response);
            });
        },
        [queue, weak, download = download_, attempt, finish = finish_](std::exception_ptr error) {
            queue->async([weak, download, attempt, finish, error] {
                if (download->attempt != attempt)
                    return;
                if (finish)
                    finish();
                if (const auto self = weak.lock(); self && !self->isDisposed())
                    self->didFinishLoading(error);
                else if (download->isCancelled)
                    download->keepForResuming();
            });
        });
}

void FetchOriginalDataStage::didReceiveData(const QByteArray& chunk, const URLResponse& response)
{
    if (!download_->receive(chunk, response)) {
        // A range from elsewhere in the file, or of another file.
        loading_->cancel();
        startLoading();
        return;
    }
    const QByteArray& data = download_->data;
    const qint64 expected = response.expectedContentLength;
    const qint64 total = expected >= 0 ? expected + download_->resumedDataCount : 0;
    send(ImageTask::Progress { data.size(), total });
    if (data.size() < total)
        send(LoadedData { data, response }, false);
}

void FetchOriginalDataStage::didFinishLoading(const std::exception_ptr& error)
{
    if (error) {
        download_->keepForResuming();
        send(ImagePipelineError::dataLoadingFailed(error));
        return;
    }
    if (download_->data.isEmpty()) {
        send(ImagePipelineError::dataIsEmpty());
        return;
    }
    storeInDataCache();
    send(LoadedData { download_->data, download_->response }, true);
}

bool FetchOriginalDataStage::isStoringInDataCache() const
{
    using Policy = ImagePipeline::DataCachePolicy;
    const QString scheme = request_.url().value_or(QUrl()).scheme();
    if (scheme == u"file" || scheme == u"data")
        return false; // already local
    const auto tasks = imageTasks();
    const auto hasOption = [](ImageRequest::Option option) {
        return [option](const auto& task) { return task->request().options().testFlag(option); };
    };
    if (std::all_of(tasks.begin(), tasks.end(), hasOption(ImageRequest::Option::noDiskCacheWrites)))
        return false;
    switch (stages_.configuration().dataCachePolicy) {
    case Policy::storeOriginalData:
    case Policy::storeAll:
        return true;
    case Policy::storeEncodedImages:
        return false;
    case Policy::automatic:
        return std::none_of(
            tasks.begin(), tasks.end(), [](const auto& task) { return !task->request().processors().isEmpty(); });
    }
    return false;
}

void FetchOriginalDataStage::storeInDataCache()
{
    DataCaching* cache = stages_.delegate().dataCache(pipeline(), request_);
    if (!cache || !isStoringInDataCache())
        return;
    const auto data = stages_.delegate().willCache(pipeline(), download_->data, request_);
    if (!data)
        return;
    const QString key = stages_.originalDataCacheKey(request_);
    stages_.dataCachingQueue().addOperation(
        std::make_shared<AsyncOperation>([cache, data = *data, key](AsyncOperation::Finish finish) {
            cache->storeData(data, key);
            finish();
        }));
}

} // namespace parley
