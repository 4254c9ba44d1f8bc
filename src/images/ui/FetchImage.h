#pragma once

#include "images/pipeline/ImagePipeline.h"

#include <QFuture>
#include <QImage>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace parley {

// Loads one request through a pipeline and publishes its state for a view:
// the image to show (a preview or the final image), whether a load is in
// flight, its progress and its outcome. One load at a time: a new one, or
// reset(), cancels the previous one, which then delivers nothing. Main
// thread only.
class FetchImage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage image READ image NOTIFY imageChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(qint64 completed READ completed NOTIFY progressChanged)
    Q_PROPERTY(qint64 total READ total NOTIFY progressChanged)
    Q_PROPERTY(bool hasResult READ hasResult NOTIFY resultChanged)
    Q_PROPERTY(bool isSuccess READ isSuccess NOTIFY resultChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY resultChanged)

public:
    // Without a pipeline every load fails as if the pipeline were invalidated.
    explicit FetchImage(ImagePipeline* pipeline = nullptr, QObject* parent = nullptr);
    ~FetchImage() override;

    Q_INVOKABLE void load(const QUrl& url);
    void load(std::optional<ImageRequest> request);
    // Shows what an outside producer delivers; cancelling it on reset.
    void load(QFuture<ImageResponse> response);
    Q_INVOKABLE void reset();

    const std::optional<ImageContainer>& imageContainer() const { return imageContainer_; }
    QImage image() const { return imageContainer_ ? imageContainer_->image() : QImage(); }
    bool isLoading() const { return isLoading_; }
    qint64 completed() const { return progress_.completed; }
    qint64 total() const { return progress_.total; }
    const std::optional<ImageResult>& result() const { return result_; }
    bool hasResult() const { return result_.has_value(); }
    bool isSuccess() const { return result_ && result_->isSuccess(); }
    QString errorText() const;
    const std::shared_ptr<ImageTask>& imageTask() const { return imageTask_; }
    const std::optional<ImageResponse>& lastResponse() const { return lastResponse_; }

    ImagePipeline* pipeline() const { return pipeline_; }
    void setPipeline(ImagePipeline* pipeline) { pipeline_ = pipeline; }
    // Overrides the request's priority, also of the running load.
    std::optional<ImageRequest::Priority> priority() const { return priority_; }
    void setPriority(std::optional<ImageRequest::Priority> priority);
    // Applied to requests that have none of their own.
    QList<ImageProcessor> processors;
    // Called after each final outcome.
    std::function<void(const ImageResult& result)> onCompletion;

signals:
    void imageChanged();
    void isLoadingChanged();
    void progressChanged();
    void resultChanged();

private:
    void setImageContainer(std::optional<ImageContainer> container);
    void setLoading(bool isLoading);
    void finish(const ImageResult& result);

    ImagePipeline* pipeline_;
    std::optional<ImageRequest::Priority> priority_;
    std::optional<ImageContainer> imageContainer_;
    bool isLoading_ = false;
    ImageTask::Progress progress_;
    std::optional<ImageResult> result_;
    std::optional<ImageResponse> lastResponse_;
    std::shared_ptr<ImageTask> imageTask_;
    std::optional<QFuture<ImageResponse>> producer_;
    int generation_ = 0;
};

} // namespace parley
