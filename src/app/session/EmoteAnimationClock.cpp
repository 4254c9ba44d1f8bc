#include "app/session/EmoteAnimationClock.h"

#include <algorithm>

namespace parley {

EmoteAnimationClock::EmoteAnimationClock(QObject* parent) : QObject(parent)
{
    started_.start();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        emit tick();
        schedule();
    });
}

void EmoteAnimationClock::show(const QObject* viewer, std::shared_ptr<const EmoteAnimation> animation)
{
    shown_.insert(viewer, std::move(animation));
    schedule();
}

void EmoteAnimationClock::hide(const QObject* viewer)
{
    if (shown_.remove(viewer))
        schedule();
}

void EmoteAnimationClock::schedule()
{
    if (shown_.isEmpty()) {
        timer_.stop();
        return;
    }
    const Duration now = elapsed();
    Duration next = Duration::max();
    for (const auto& animation : std::as_const(shown_))
        next = std::min(next, animation->untilNextFrame(now));
    timer_.start(std::max(next, minimumInterval));
}

} // namespace parley
