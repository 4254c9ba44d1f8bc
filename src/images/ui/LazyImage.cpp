#include "images/ui/LazyImage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QQmlEngine>

namespace parley {

namespace {

const char* pipelineProperty = "parley.images.pipeline";

} // namespace

LazyImage::LazyImage(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    connect(&viewModel_, &FetchImage::imageChanged, this, [this] { update(); });
    connect(&viewModel_, &FetchImage::resultChanged, this, [this] {
        if (viewModel_.hasResult())
            emit completed(viewModel_.isSuccess(), viewModel_.errorText());
    });
}

void LazyImage::registerQmlType()
{
    qmlRegisterType<LazyImage>("Parley.Images", 1, 0, "LazyImage");
    qmlRegisterUncreatableType<FetchImage>("Parley.Images", 1, 0, "FetchImage", QStringLiteral("made by LazyImage"));
}

void LazyImage::installPipeline(QQmlEngine& engine, ImagePipeline& pipeline)
{
    engine.setProperty(pipelineProperty, QVariant::fromValue(static_cast<void*>(&pipeline)));
}

void LazyImage::setSource(const QUrl& source)
{
    if (source_ == source)
        return;
    source_ = source;
    emit sourceChanged();
    setRequest(source.isEmpty() ? std::nullopt : std::optional(ImageRequest(source)));
}

void LazyImage::setRequest(std::optional<ImageRequest> request)
{
    request_ = std::move(request);
    if (isOnScreen_)
        appear();
}

void LazyImage::setDisappearBehavior(DisappearBehavior behavior)
{
    if (std::exchange(disappearBehavior_, behavior) != behavior)
        emit disappearBehaviorChanged();
}

void LazyImage::itemChange(ItemChange change, const ItemChangeData& data)
{
    QQuickPaintedItem::itemChange(change, data);
    if (change == ItemSceneChange || change == ItemVisibleHasChanged)
        updateOnScreen();
}

void LazyImage::updateOnScreen()
{
    const bool isOnScreen = window() && isVisible();
    if (std::exchange(isOnScreen_, isOnScreen) == isOnScreen)
        return;
    if (isOnScreen)
        appear();
    else
        disappear();
}

void LazyImage::appear()
{
    if (!viewModel_.pipeline())
        if (const QQmlEngine* engine = qmlEngine(this))
            viewModel_.setPipeline(static_cast<ImagePipeline*>(engine->property(pipelineProperty).value<void*>()));
    if (disappearBehavior_ == DisappearBehavior::lowerPriority)
        viewModel_.setPriority(std::nullopt);
    viewModel_.load(request_);
}

void LazyImage::disappear()
{
    switch (disappearBehavior_) {
    case DisappearBehavior::cancel:
        viewModel_.reset();
        break;
    case DisappearBehavior::lowerPriority:
        viewModel_.setPriority(ImageRequest::Priority::veryLow);
        break;
    case DisappearBehavior::none:
        break;
    }
}

void LazyImage::paint(QPainter* painter)
{
    const QImage image = viewModel_.image();
    if (image.isNull()) {
        painter->fillRect(boundingRect(), QGuiApplication::palette().color(QPalette::Button));
        return;
    }
    QSizeF size = image.deviceIndependentSize();
    size.scale(boundingRect().size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(boundingRect().center());
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, image);
}

} // namespace parley
