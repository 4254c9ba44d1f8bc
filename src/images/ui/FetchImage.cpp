#include "images/ui/FetchImage.h"

#include "platform/WhenFinished.h"

#include <QPointer>

namespace parley {

FetchImage::FetchImage(ImagePipeline* pipeline, QObject* parent) : QObject(parent), pipeline_(pipeline) { }

FetchImage::~FetchImage()
{
    reset();
}

void FetchImage::load(const QUrl& url)
{
    load(url.isEmpty() ? std::nullopt : std::optional(ImageRequest(url)));
}

void FetchImage::load(std::optional<ImageRequest> request)
{
    reset();
    if (!request) {
        finish(ImagePipelineError::imageRequestMissing());
        return;
    }
    if (!processors.isEmpty() && request->processors().isEmpty())
        request->setProcessors(processors);
    if (priority_)
        request->setPriority(*priority_);
    if (!pipeline_) {
        finish(ImagePipelineError::pipelineInvalidated());
        return;
    }
    if (const auto cached = pipeline_->cachedImage(*request)) {
        if (!cached->isPreview()) {
            finish(ImageResponse { *cached, *request, std::nullopt, ImageResponse::CacheType::memory });
            return;
        }
        setImageContainer(*cached);
    }
    setLoading(true);
    const QPointer<FetchImage> self(this);
    imageTask_ = pipeline_->loadImage(
        *request, nullptr,
        [self](const std::optional<ImageResponse>& preview, qint64 completed, qint64 total) {
            if (!self)
                return;
            if (preview) {
                self->lastResponse_ = preview;
                self->setImageContainer(preview->container);
            } else {
                self->progress_ = { completed, total };
                emit self->progressChanged();
            }
        },
        [self](const ImageResult& result) {
            if (self)
                self->finish(result);
        });
}

void FetchImage::load(QFuture<ImageResponse> response)
{
    reset();
    setLoading(true);
    producer_ = response;
    // A producer replaced before it delivered must not finish the newer load.
    const int generation = generation_;
    whenFinished(std::move(response), this, [this, generation](QFuture<ImageResponse> done) {
        if (generation != generation_)
            return;
        try {
            done.waitForFinished();
            // A cancelled producer delivers nothing.
            if (done.resultCount() > 0)
                finish(done.result());
        } catch (const ImagePipelineError& error) {
            finish(error);
        }
    });
}

void FetchImage::reset()
{
    ++generation_;
    if (const auto task = std::exchange(imageTask_, nullptr); task && pipeline_)
        pipeline_->cancel(task);
    if (auto producer = std::exchange(producer_, std::nullopt))
        producer->cancel();
    setLoading(false);
    setImageContainer(std::nullopt);
    if (std::exchange(result_, std::nullopt))
        emit resultChanged();
    if (std::exchange(progress_, {}) != ImageTask::Progress {})
        emit progressChanged();
    lastResponse_.reset();
}

void FetchImage::setPriority(std::optional<ImageRequest::Priority> priority)
{
    priority_ = priority;
    if (priority && imageTask_ && pipeline_)
        pipeline_->setPriority(imageTask_, *priority);
}

QString FetchImage::errorText() const
{
    const auto* error = result_ ? result_->error() : nullptr;
    return error ? error->description() : QString();
}

void FetchImage::setImageContainer(std::optional<ImageContainer> container)
{
    if (!container && !imageContainer_)
        return;
    imageContainer_ = std::move(container);
    emit imageChanged();
}

void FetchImage::setLoading(bool isLoading)
{
    if (std::exchange(isLoading_, isLoading) != isLoading)
        emit isLoadingChanged();
}

void FetchImage::finish(const ImageResult& result)
{
    setLoading(false);
    imageTask_.reset();
    producer_.reset();
    if (const auto* response = result.value()) {
        lastResponse_ = *response;
        setImageContainer(response->container);
    }
    result_ = result;
    emit resultChanged();
    if (onCompletion)
        onCompletion(result);
}

} // namespace parley
