#pragma once

#include "twitch/chat/PendingMessage.h"

#include <QFuture>
#include <QList>
#include <QPromise>
#include <QString>

#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace parley {

// The chat client's sends that the service has not confirmed yet, oldest
// first, each with the promise its sender waits on, its confirmation deadline
// and whether its frame went out; plus the recent sends the rate limit
// counts. Holds no socket and no timer, so the client decides when to write
// and when to check the deadlines.
class TwitchChatOutbox {
public:
    using Clock = std::chrono::steady_clock;
    using Promise = std::shared_ptr<QPromise<void>>;

    struct Confirmed {
        PendingMessage message;
        Promise done;
    };

    // Counts a send at `now`, unless `limit` sends already fell within the
    // `window` before it.
    bool admit(Clock::time_point now, qsizetype limit, std::chrono::milliseconds window);
    // Queues `message`, unwritten, until it is confirmed or fails.
    QFuture<void> add(PendingMessage message, Clock::time_point deadline);

    const QList<PendingMessage>& messages() const { return messages_; }
    bool isEmpty() const { return messages_.isEmpty(); }
    std::optional<Clock::time_point> nextDeadline() const;

    // The oldest message not written yet, now marked written.
    std::optional<PendingMessage> takeUnwritten();
    // Removes the oldest message for its confirmation; the caller finishes
    // the promise once it has published the message. Not when empty.
    Confirmed takeOldest();

    // Each fails its messages' promises after removing them, so a sender
    // reacting to the failure sees the queue without them.
    void failOldest(const std::exception_ptr& error);
    // Messages never written cannot be confirmed by any later connection.
    void failUnwritten(const std::exception_ptr& error);
    void failExpired(Clock::time_point now, const std::exception_ptr& error);

private:
    struct Send {
        Promise done;
        Clock::time_point deadline;
        bool written = false;
    };

    static void fail(const std::vector<Promise>& promises, const std::exception_ptr& error);
    Promise removeAt(qsizetype index);

    QList<PendingMessage> messages_;
    std::deque<Send> sends_; // in step with messages_
    std::deque<Clock::time_point> recentSends_;
};

} // namespace parley
