#pragma once

#include "images/pipeline/ImagePipeline.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QAbstractAnimation;
class QLabel;

namespace parley {

// A widget that loads one request and shows, in turn, a placeholder while it
// loads, the image (fading in unless it came from the memory cache; previews
// too while progressive rendering is on) or a failure view. A new request
// cancels the previous load, which then delivers nothing. Main thread only.
class LazyImageView : public QWidget {
    Q_OBJECT

public:
    enum class SubviewPosition { center, fill };

    struct FadeIn {
        std::chrono::milliseconds duration { 330 };
    };
    // Runs instead of the fade when an image arrives other than from memory.
    using CustomTransition = std::function<void(LazyImageView& view, const ImageContainer& container)>;
    // None: the image just appears.
    using Transition = std::optional<std::variant<FadeIn, CustomTransition>>;

    // The pipeline must outlive the view.
    explicit LazyImageView(ImagePipeline& pipeline, QWidget* parent = nullptr);
    ~LazyImageView() override;

    // Starts loading (none: fail at once with imageRequestMissing).
    void setRequest(std::optional<ImageRequest> request);
    void setUrl(const QUrl& url);
    // Cancels the load and clears every view.
    void reset();

    // Shown while loading; a plain control-coloured rectangle by default.
    // The view takes ownership; none shows nothing.
    void setPlaceholderView(QWidget* view);
    void setPlaceholderImage(const QImage& image);
    QWidget* placeholderView() const { return placeholderView_; }
    void setPlaceholderViewPosition(SubviewPosition position);
    // Shown after a failure; none by default.
    void setFailureView(QWidget* view);
    void setFailureImage(const QImage& image);
    QWidget* failureView() const { return failureView_; }
    void setFailureViewPosition(SubviewPosition position);

    QLabel* imageView() const { return imageView_; }
    QWidget* customImageView() const { return customImageView_; }
    // The fade running on the image view, or none.
    QAbstractAnimation* imageTransition() const;
    const std::shared_ptr<ImageTask>& imageTask() const { return imageTask_; }
    bool isResetNeeded() const { return isResetNeeded_; }
    ImagePipeline& pipeline() const { return *pipeline_; }
    void setPipeline(ImagePipeline& pipeline) { pipeline_ = &pipeline; }

    Transition transition = FadeIn {};
    // May return a widget of its own to show a container in (owned by the view).
    std::function<QWidget*(const ImageContainer& container)> makeImageView;
    // Applied to requests that have none of their own.
    QList<ImageProcessor> processors;
    // Overrides the request's priority.
    std::optional<ImageRequest::Priority> priority;
    bool isProgressiveImageRenderingEnabled = true;
    // Clear the old image at once when a new request starts; otherwise it
    // stays until the new image or a failure arrives.
    bool isResetEnabled = true;

    std::function<void(const std::shared_ptr<ImageTask>& task)> onStart;
    std::function<void(const ImageResponse& preview)> onPreview;
    std::function<void(qint64 completed, qint64 total)> onProgress;
    std::function<void(const ImageResponse& response)> onSuccess;
    std::function<void(const ImagePipelineError& error)> onFailure;
    std::function<void(const ImageResult& result)> onCompletion;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void resetViews();
    void handle(const ImageResult& result, bool isFromMemory);
    void display(const ImageContainer& container, bool isFromMemory);
    void showImage(const QImage& image);
    void replace(QPointer<QWidget>& slot, QWidget* view);
    void layoutSubviews();
    void place(QWidget* view, SubviewPosition position);

    ImagePipeline* pipeline_;
    QLabel* imageView_;
    QImage image_;
    QPointer<QWidget> customImageView_;
    QPointer<QWidget> placeholderView_;
    QPointer<QWidget> failureView_;
    SubviewPosition placeholderViewPosition_ = SubviewPosition::fill;
    SubviewPosition failureViewPosition_ = SubviewPosition::fill;
    std::shared_ptr<ImageTask> imageTask_;
    bool isResetNeeded_ = false;
};

} // namespace parley
