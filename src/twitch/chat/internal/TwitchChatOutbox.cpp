#include "twitch/chat/internal/TwitchChatOutbox.h"

namespace parley {

bool TwitchChatOutbox::admit(Clock::time_point now, qsizetype limit, std::chrono::milliseconds window)
{
    while (!recentSends_.empty() && now - recentSends_.front() >= window)
        recentSends_.pop_front();
    if (qsizetype(recentSends_.size()) >= limit)
        return false;
    recentSends_.push_back(now);
    return true;
}

QFuture<void> TwitchChatOutbox::add(PendingMessage message, Clock::time_point deadline)
{
    messages_.append(std::move(message));
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    sends_.push_back({ done, deadline, false });
    return done->future();
}

std::optional<TwitchChatOutbox::Clock::time_point> TwitchChatOutbox::nextDeadline() const
{
    if (sends_.empty())
        return std::nullopt;
    return sends_.front().deadline;
}

std::optional<PendingMessage> TwitchChatOutbox::takeUnwritten()
{
    for (qsizetype index = 0; index < messages_.size(); ++index) {
        Send& send = sends_[std::size_t(index)];
        if (!send.written) {
            send.written = true;
            return messages_.at(index);
        }
    }
    return std::nullopt;
}

TwitchChatOutbox::Confirmed TwitchChatOutbox::takeOldest()
{
    Confirmed confirmed { messages_.first(), sends_.front().done };
    removeAt(0);
    return confirmed;
}

void TwitchChatOutbox::failOldest(const std::exception_ptr& error)
{
    if (!isEmpty())
        fail({ removeAt(0) }, error);
}

void TwitchChatOutbox::failUnwritten(const std::exception_ptr& error)
{
    std::vector<Promise> failed;
    for (qsizetype index = messages_.size() - 1; index >= 0; --index)
        if (!sends_[std::size_t(index)].written)
            failed.push_back(removeAt(index));
    fail(failed, error);
}

void TwitchChatOutbox::failExpired(Clock::time_point now, const std::exception_ptr& error)
{
    std::vector<Promise> failed;
    while (!sends_.empty() && sends_.front().deadline <= now)
        failed.push_back(removeAt(0));
    fail(failed, error);
}

void TwitchChatOutbox::fail(const std::vector<Promise>& promises, const std::exception_ptr& error)
{
    for (const Promise& done : promises) {
        done->setException(error);
        done->finish();
    }
}

TwitchChatOutbox::Promise TwitchChatOutbox::removeAt(qsizetype index)
{
    messages_.removeAt(index);
    Promise done = sends_[std::size_t(index)].done;
    sends_.erase(sends_.begin() + index);
    return done;
}

} // namespace parley
