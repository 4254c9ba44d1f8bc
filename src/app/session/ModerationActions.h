#pragma once

// The session's moderation of the broadcaster's own chat, for every view that
// offers it (a row's menu, a viewer's card):
//
//   bool canModerate() const;                 the token has both moderation scopes
//   bool isBanned(const QString& userID) const;
//   QFuture<void> deleteMessage(const QString& messageID);
//   QFuture<void> timeout(const QString& userID, std::chrono::seconds duration);
//   QFuture<void> ban(const QString& userID);
//   QFuture<void> unban(const QString& userID);
//   signal bannedUsersChanged()               isBanned changed for someone
//
// A future fails with an error whose words ErrorPresenter::userMessage gives
// ("Sign in again to moderate." without the scopes, "This user is already
// banned.", ...): a TwitchModerationError for Twitch's refusals, or
// TwitchError / TransportError. Deleting shows nothing by itself: the message
// is shown deleted when the chat service's CLEARMSG arrives.

#include "twitch/api/TwitchModeration.h"
#include "twitch/chat/TwitchChatClear.h"

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace parley {

// Sends the actions through TwitchModeration, tries an action Twitch answers
// with 409 (another moderator is changing the same ban) once more after
// conflictRetryDelay, and keeps who is banned: a user is banned once the
// chat has reported a ban (CLEARCHAT without a duration, given to noteClear)
// or a ban from here succeeded, until an unban or a timeout from here
// succeeds. Main thread only.
class ModerationActions final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canModerate READ canModerate CONSTANT)

public:
    static constexpr std::chrono::milliseconds conflictRetryDelay = std::chrono::seconds(1);

    explicit ModerationActions(TwitchModeration moderation, QObject* parent = nullptr);

    bool canModerate() const { return moderation_.hasScopes(); }
    // The broadcaster, whose own messages are never moderated.
    const QString& broadcasterID() const { return moderation_.broadcasterID(); }
    bool isBanned(const QString& userID) const { return bannedUserIDs_.contains(userID); }

    QFuture<void> deleteMessage(const QString& messageID);
    QFuture<void> timeout(const QString& userID, std::chrono::seconds duration);
    QFuture<void> ban(const QString& userID);
    QFuture<void> unban(const QString& userID);

    // Tests shorten the wait before a 409 is tried again.
    void setConflictRetryDelay(std::chrono::milliseconds delay) { retryDelay_ = delay; }

public slots:
    // What the chat reported: a ban marks the user banned.
    void noteClear(const parley::TwitchChatClear& clear);

signals:
    void bannedUsersChanged();

private:
    using Attempt = std::function<QFuture<void>()>;

    // Runs `attempt`, again once after the delay when it fails with a 409;
    // `succeeded` runs on success while this object lives.
    QFuture<void> run(Attempt attempt, std::function<void()> succeeded = {});
    void setBanned(const QString& userID, bool banned);

    const TwitchModeration moderation_;
    std::chrono::milliseconds retryDelay_ = conflictRetryDelay;
    QSet<QString> bannedUserIDs_;
};

} // namespace parley
