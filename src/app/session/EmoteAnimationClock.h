#pragma once

#include "app/session/EmoteAnimation.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>

namespace parley {

// The one clock of every animated emote on screen. A view registers the
// animation it shows while it is visible and unregisters when it is not; the
// clock wakes only when a shown frame is due, and never while nothing is
// shown, so a hidden window costs no CPU. Main thread only.
class EmoteAnimationClock : public QObject {
    Q_OBJECT

public:
    using Duration = EmoteAnimation::Duration;

    // Wake-ups come at most this often: frames due closer together show
    // together (the time picks the frame, so none plays slower), and a window
    // full of animations repaints at most at this rate.
    static constexpr Duration minimumInterval { 33 };

    explicit EmoteAnimationClock(QObject* parent = nullptr);

    // Time since the clock was made; every view picks its frame from it.
    Duration elapsed() const { return Duration(started_.elapsed()); }

    void show(const QObject* viewer, std::shared_ptr<const EmoteAnimation> animation);
    void hide(const QObject* viewer);
    qsizetype shownCount() const { return shown_.size(); }
    bool isRunning() const { return timer_.isActive(); }
    // How long until the next wake-up; meaningful while running.
    Duration nextWake() const { return timer_.intervalAsDuration(); }

signals:
    // A frame of some shown animation is due: views check theirs.
    void tick();

private:
    void schedule();

    QElapsedTimer started_;
    QHash<const QObject*, std::shared_ptr<const EmoteAnimation>> shown_;
    QTimer timer_;
};

} // namespace parley
