#include "app/ui/chat/AnimatedEmoteItem.h"

#include <QPainter>
#include <QQuickWindow>

namespace parley {

AnimatedEmoteItem::AnimatedEmoteItem(QQuickItem* parent) : QQuickPaintedItem(parent) { }

AnimatedEmoteItem::~AnimatedEmoteItem()
{
    setPlaying(false);
}

void AnimatedEmoteItem::setLoader(EmoteImageLoader* loader)
{
    if (loader == loader_)
        return;
    setPlaying(false);
    disconnect(loaderConnection_);
    loader_ = loader;
    if (loader)
        loaderConnection_ = connect(loader, &EmoteImageLoader::imagesChanged, this, &AnimatedEmoteItem::refresh);
    emit loaderChanged();
    refresh();
}

void AnimatedEmoteItem::setImageKey(const QString& key)
{
    if (key == imageKey_)
        return;
    imageKey_ = key;
    emit imageKeyChanged();
    refresh();
}

void AnimatedEmoteItem::paint(QPainter* painter)
{
    if (!animation_)
        return;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    shownFrame_ = currentFrame();
    painter->drawImage(boundingRect(), animation_->frames().at(shownFrame_).image);
}

void AnimatedEmoteItem::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickPaintedItem::itemChange(change, value);
    if (change == ItemSceneChange) {
        disconnect(windowConnection_);
        if (value.window)
            windowConnection_ =
                connect(value.window, &QWindow::visibilityChanged, this, &AnimatedEmoteItem::refresh);
    }
    if (change == ItemSceneChange || change == ItemVisibleHasChanged)
        refresh();
}

// Plays while there is an animation to play and a visible window to play it in.
void AnimatedEmoteItem::refresh()
{
    animation_ = loader_ ? loader_->animation(imageKey_) : nullptr;
    const QQuickWindow* shownIn = window();
    // A widget's offscreen window reports only its visibility, not isVisible().
    const bool windowShown =
        shownIn && shownIn->visibility() != QWindow::Hidden && shownIn->visibility() != QWindow::Minimized;
    setPlaying(animation_ && isVisible() && windowShown);
    shownFrame_ = -1;
    update();
}

// Playing again hands the clock the current animation.
void AnimatedEmoteItem::setPlaying(bool playing)
{
    playing_ = playing;
    disconnect(tickConnection_);
    if (!loader_)
        return;
    EmoteAnimationClock* clock = loader_->animationClock();
    if (playing) {
        clock->show(this, animation_);
        tickConnection_ = connect(clock, &EmoteAnimationClock::tick, this, &AnimatedEmoteItem::tick);
    } else {
        clock->hide(this);
    }
}

void AnimatedEmoteItem::tick()
{
    if (currentFrame() != shownFrame_)
        update();
}

qsizetype AnimatedEmoteItem::currentFrame() const
{
    return animation_ && loader_ ? animation_->frameAt(loader_->animationClock()->elapsed()) : 0;
}

} // namespace parley
