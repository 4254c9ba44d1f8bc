#include "app/session/ModerationActions.h"

#include "platform/WhenFinished.h"

#include <QPromise>
#include <QTimer>

#include <memory>

namespace parley {
namespace {

bool isConflict(QFuture<void> done)
{
    try {
        done.waitForFinished();
    } catch (const TwitchModerationError& error) {
        return error.code() == TwitchModerationError::Code::banConflict;
    } catch (...) {
    }
    return false;
}

} // namespace

ModerationActions::ModerationActions(TwitchModeration moderation, QObject* parent)
    : QObject(parent), moderation_(std::move(moderation))
{ }

QFuture<void> ModerationActions::deleteMessage(const QString& messageID)
{
    return run([moderation = moderation_, messageID] { return moderation.deleteMessage(messageID); });
}

QFuture<void> ModerationActions::timeout(const QString& userID, std::chrono::seconds duration)
{
    // Twitch does not time out a banned user: a timeout that went through
    // means the user is not banned (any more).
    return run([moderation = moderation_, userID, duration] { return moderation.ban(userID, duration); },
        [this, userID] { setBanned(userID, false); });
}

QFuture<void> ModerationActions::ban(const QString& userID)
{
    return run([moderation = moderation_, userID] { return moderation.ban(userID); },
        [this, userID] { setBanned(userID, true); });
}

QFuture<void> ModerationActions::unban(const QString& userID)
{
    return run([moderation = moderation_, userID] { return moderation.unban(userID); },
        [this, userID] { setBanned(userID, false); });
}

void ModerationActions::noteClear(const TwitchChatClear& clear)
{
    if (clear.kind == TwitchChatClear::Kind::user && !clear.banDuration && !clear.targetUserID.isEmpty())
        setBanned(clear.targetUserID, true);
}

QFuture<void> ModerationActions::run(Attempt attempt, std::function<void()> succeeded)
{
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    // Only called back while this object lives (whenFinished's context).
    const auto finish = [promise, succeeded](QFuture<void> done) {
        try {
            done.waitForFinished();
        } catch (...) {
            promise->setException(std::current_exception());
            promise->finish();
            return;
        }
        if (succeeded)
            succeeded();
        promise->finish();
    };
    whenFinished(attempt(), this, [this, attempt, finish](QFuture<void> first) {
        if (!isConflict(first)) {
            finish(first);
            return;
        }
        QTimer::singleShot(retryDelay_, this, [this, attempt, finish] {
            whenFinished(attempt(), this, [finish](QFuture<void> second) { finish(second); });
        });
    });
    return promise->future();
}

void ModerationActions::setBanned(const QString& userID, bool banned)
{
    if (banned == isBanned(userID))
        return;
    if (banned)
        bannedUserIDs_.insert(userID);
    else
        bannedUserIDs_.remove(userID);
    emit bannedUsersChanged();
}

} // namespace parley
