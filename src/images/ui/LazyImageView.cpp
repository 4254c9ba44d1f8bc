#include "images/ui/LazyImageView.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPropertyAnimation>

namespace parley {

namespace {

const char* transitionName = "imageTransition";

QLabel* makeImageLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A plain rectangle in the control background colour.
QWidget* makeDefaultPlaceholder()
{
    auto* view = new QWidget;
    view->setAutoFillBackground(true);
    view->setBackgroundRole(QPalette::Button);
    return view;
}

} // namespace

LazyImageView::LazyImageView(ImagePipeline& pipeline, QWidget* parent)
    : QWidget(parent), pipeline_(&pipeline), imageView_(makeImageLabel(this))
{
    imageView_->hide();
    setPlaceholderView(makeDefaultPlaceholder());
}

LazyImageView::~LazyImageView()
{
    if (imageTask_)
        pipeline_->cancel(imageTask_);
}

void LazyImageView::setUrl(const QUrl& url)
{
    setRequest(url.isEmpty() ? std::nullopt : std::optional(ImageRequest(url)));
}

void LazyImageView::setRequest(std::optional<ImageRequest> request)
{
    if (const auto task = std::exchange(imageTask_, nullptr))
        pipeline_->cancel(task);
    if (isResetEnabled)
        resetViews();
    else
        isResetNeeded_ = true;
    if (!request) {
        handle(ImagePipelineError::imageRequestMissing(), true);
        return;
    }
    if (!processors.isEmpty() && request->processors().isEmpty())
        request->setProcessors(processors);
    if (priority)
        request->setPriority(*priority);
    if (const auto cached = pipeline_->cachedImage(*request)) {
        if (!cached->isPreview()) {
            handle(ImageResponse { *cached, *request, std::nullopt, ImageResponse::CacheType::memory }, true);
            return;
        }
        display(*cached, true);
    }
    if (placeholderView_)
        placeholderView_->show();
    const QPointer<LazyImageView> self(this);
    imageTask_ = pipeline_->loadImage(
        *request, nullptr,
        [self](const std::optional<ImageResponse>& preview, qint64 completed, qint64 total) {
            if (!self)
                return;
            if (!preview) {
                if (self->onProgress)
                    self->onProgress(completed, total);
                return;
            }
            if (self->isProgressiveImageRenderingEnabled) {
                if (self->placeholderView_)
                    self->placeholderView_->hide();
                self->display(preview->container, false);
            }
            if (self->onPreview)
                self->onPreview(*preview);
        },
        [self](const ImageResult& result) {
            if (self)
                self->handle(result, false);
        });
    if (onStart)
        onStart(imageTask_);
}

void LazyImageView::reset()
{
    if (const auto task = std::exchange(imageTask_, nullptr))
        pipeline_->cancel(task);
    resetViews();
}

void LazyImageView::resetViews()
{
    delete imageTransition();
    imageView_->clear();
    imageView_->hide();
    image_ = QImage();
    delete customImageView_;
    if (placeholderView_)
        placeholderView_->hide();
    if (failureView_)
        failureView_->hide();
    isResetNeeded_ = false;
}

void LazyImageView::handle(const ImageResult& result, bool isFromMemory)
{
    if (isResetNeeded_)
        resetViews();
    if (placeholderView_)
        placeholderView_->hide();
    const auto* response = result.value();
    if (response)
        display(response->container, isFromMemory);
    else if (failureView_)
        failureView_->show();
    imageTask_.reset();
    if (response && onSuccess)
        onSuccess(*response);
    if (!response && onFailure)
        onFailure(*result.error());
    if (onCompletion)
        onCompletion(result);
}

void LazyImageView::display(const ImageContainer& container, bool isFromMemory)
{
    if (isResetNeeded_)
        resetViews();
    if (QWidget* custom = makeImageView ? makeImageView(container) : nullptr) {
        delete customImageView_;
        custom->setParent(this);
        custom->setGeometry(rect());
        custom->show();
        customImageView_ = custom;
    } else {
        showImage(container.image());
    }
    if (isFromMemory || !transition)
        return;
    if (const auto* custom = std::get_if<CustomTransition>(&*transition)) {
        (*custom)(*this, container);
        return;
    }
    if (imageView_->isHidden())
        return;
    delete imageTransition();
    auto* effect = new QGraphicsOpacityEffect(imageView_);
    imageView_->setGraphicsEffect(effect);
    auto* fade = new QPropertyAnimation(effect, "opacity", imageView_);
    fade->setObjectName(transitionName);
    fade->setDuration(int(std::get<FadeIn>(*transition).duration.count()));
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    // The effect goes with the finished fade: it would cost every repaint.
    connect(fade, &QAbstractAnimation::finished, imageView_, [this] { imageView_->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

QAbstractAnimation* LazyImageView::imageTransition() const
{
    return imageView_->findChild<QAbstractAnimation*>(transitionName, Qt::FindDirectChildrenOnly);
}

void LazyImageView::showImage(const QImage& image)
{
    image_ = image;
    layoutSubviews();
    imageView_->show();
    imageView_->raise();
}

void LazyImageView::setPlaceholderView(QWidget* view)
{
    replace(placeholderView_, view);
}

void LazyImageView::setPlaceholderImage(const QImage& image)
{
    QLabel* label = makeImageLabel(nullptr);
    label->setPixmap(QPixmap::fromImage(image));
    setPlaceholderView(label);
}

void LazyImageView::setPlaceholderViewPosition(SubviewPosition position)
{
    placeholderViewPosition_ = position;
    layoutSubviews();
}

void LazyImageView::setFailureView(QWidget* view)
{
    replace(failureView_, view);
}

void LazyImageView::setFailureImage(const QImage& image)
{
    QLabel* label = makeImageLabel(nullptr);
    label->setPixmap(QPixmap::fromImage(image));
    setFailureView(label);
}

void LazyImageView::setFailureViewPosition(SubviewPosition position)
{
    failureViewPosition_ = position;
    layoutSubviews();
}

void LazyImageView::replace(QPointer<QWidget>& slot, QWidget* view)
{
    const bool wasVisible = slot && !slot->isHidden();
    delete slot;
    slot = view;
    if (!view)
        return;
    view->setParent(this);
    view->setVisible(wasVisible);
    layoutSubviews();
}

void LazyImageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void LazyImageView::layoutSubviews()
{
    imageView_->setGeometry(rect());
    if (!image_.isNull()) {
        // Fitted and centred, drawn at the screen's pixel density.
        const qreal ratio = devicePixelRatioF();
        QImage fitted = image_.scaled(rect().size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        fitted.setDevicePixelRatio(ratio);
        imageView_->setPixmap(QPixmap::fromImage(fitted));
    }
    if (customImageView_)
        customImageView_->setGeometry(rect());
    place(placeholderView_, placeholderViewPosition_);
    place(failureView_, failureViewPosition_);
}

void LazyImageView::place(QWidget* view, SubviewPosition position)
{
    if (!view)
        return;
    if (position == SubviewPosition::fill) {
        view->setGeometry(rect());
        return;
    }
    QRect centred(QPoint(), view->sizeHint().boundedTo(size()));
    centred.moveCenter(rect().center());
    view->setGeometry(centred);
}

} // namespace parley
