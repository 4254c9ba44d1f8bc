#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace parley {

// The time limits of one network transfer: it expires when no progress is
// noted for `inactivity`, or when it has run for `total` altogether (a body
// trickled a byte at a time never trips the first). A zero limit is no limit.
// Lives on, and calls `expired` once on, the thread of its parent.
class TransferDeadline : public QObject {
public:
    using Milliseconds = std::chrono::milliseconds;

    TransferDeadline(Milliseconds inactivity, Milliseconds total, std::function<void()> expired, QObject* parent)
        : QObject(parent), expired_(std::move(expired))
    {
        arm(inactivity_, inactivity);
        arm(total_, total);
    }

    // Restarts the inactivity limit.
    void noteProgress()
    {
        if (inactivity_.interval() > 0 && inactivity_.isActive())
            inactivity_.start();
    }

private:
    void arm(QTimer& timer, Milliseconds limit)
    {
        if (limit.count() <= 0)
            return;
        timer.setSingleShot(true);
        timer.setInterval(limit);
        connect(&timer, &QTimer::timeout, this, &TransferDeadline::expire);
        timer.start();
    }

    void expire()
    {
        inactivity_.stop();
        total_.stop();
        if (auto expired = std::exchange(expired_, nullptr))
            expired();
    }

    QTimer inactivity_ { this };
    QTimer total_ { this };
    std::function<void()> expired_;
};

} // namespace parley
