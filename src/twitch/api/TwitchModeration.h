#pragma once

#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchModerationError.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QFuture>
#include <QString>

#include <chrono>
#include <optional>

namespace parley {

// The Helix moderation calls a broadcaster makes in their own chat: the
// token's user is both the broadcaster and the moderator. Each call checks
// the scope it needs first (without it: missingScope, nothing is sent) and
// refuses the broadcaster's own user id (ownUser). Twitch's refusals fail
// with a TwitchModerationError, other statuses with TwitchError. No retries
// here. Main thread.
class TwitchModeration {
public:
    TwitchModeration(TwitchAPI api, TwitchUserAccessToken accessToken);

    const QString& broadcasterID() const { return accessToken_.info.userID; }
    // The token carries both moderation scopes.
    bool hasScopes() const;

    // DELETE /moderation/chat for one message (204).
    QFuture<void> deleteMessage(const QString& messageID) const;
    // POST /moderation/bans: a timeout of `duration`, or a ban without one (200).
    QFuture<void> ban(const QString& userID, std::optional<std::chrono::seconds> duration = std::nullopt) const;
    // DELETE /moderation/bans (204).
    QFuture<void> unban(const QString& userID) const;

    // The id of the account `login` (GET /users), for tools that name users by login.
    QFuture<std::optional<TwitchUserInfo>> user(const QString& login) const { return api_.user(login, accessToken_); }

private:
    using Action = TwitchModerationError::Action;

    QFuture<void> send(Action action, const QByteArray& verb, const QString& path, TwitchAPI::QueryItems query,
        const QByteArray& json = {}) const;

    TwitchAPI api_;
    TwitchUserAccessToken accessToken_;
};

} // namespace parley
