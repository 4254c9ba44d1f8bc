#include "twitch/api/TwitchModeration.h"

#include "platform/FailedFuture.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace parley {
namespace {

TwitchAuthScope scopeFor(TwitchModerationError::Action action)
{
    return action == TwitchModerationError::Action::deleteMessage ? TwitchAuthScope::moderatorManageChatMessages
                                                                  : TwitchAuthScope::moderatorManageBannedUsers;
}

} // namespace

TwitchModeration::TwitchModeration(TwitchAPI api, TwitchUserAccessToken accessToken)
    : api_(std::move(api)), accessToken_(std::move(accessToken))
{ }

bool TwitchModeration::hasScopes() const
{
    return accessToken_.info.scopes.contains(TwitchAuthScope::moderatorManageChatMessages) &&
        accessToken_.info.scopes.contains(TwitchAuthScope::moderatorManageBannedUsers);
}

QFuture<void> TwitchModeration::deleteMessage(const QString& messageID) const
{
    return send(Action::deleteMessage, "DELETE", QStringLiteral("/helix/moderation/chat"),
        { { QStringLiteral("message_id"), messageID } });
}

QFuture<void> TwitchModeration::ban(const QString& userID, std::optional<std::chrono::seconds> duration) const
{
    if (userID == broadcasterID())
        return failedFuture(TwitchModerationError(TwitchModerationError::Code::ownUser));
    QJsonObject data { { QStringLiteral("user_id"), userID }, { QStringLiteral("reason"), QString() } };
    if (duration)
        data.insert(QStringLiteral("duration"), qint64(duration->count()));
    const QJsonObject body { { QStringLiteral("data"), data } };
    return send(Action::ban, "POST", QStringLiteral("/helix/moderation/bans"), {},
        QJsonDocument(body).toJson(QJsonDocument::Compact));
}

QFuture<void> TwitchModeration::unban(const QString& userID) const
{
    if (userID == broadcasterID())
        return failedFuture(TwitchModerationError(TwitchModerationError::Code::ownUser));
    return send(
        Action::unban, "DELETE", QStringLiteral("/helix/moderation/bans"), { { QStringLiteral("user_id"), userID } });
}

// Both ids lead the query; 200 and 204 are success.
QFuture<void> TwitchModeration::send(
    Action action, const QByteArray& verb, const QString& path, TwitchAPI::QueryItems query, const QByteArray& json) const
{
    if (!accessToken_.info.scopes.contains(scopeFor(action)))
        return failedFuture(TwitchModerationError(TwitchModerationError::Code::missingScope));
    query.prepend({ QStringLiteral("moderator_id"), broadcasterID() });
    query.prepend({ QStringLiteral("broadcaster_id"), broadcasterID() });
    return api_.sendHelix(verb, path, query, accessToken_, json).then([action](const TwitchAPI::HelixReply& reply) {
        if (reply.status == 200 || reply.status == 204)
            return;
        if (const std::exception_ptr error = TwitchModerationError::fromReply(action, reply.status, reply.body))
            std::rethrow_exception(error);
        throw TwitchError(TwitchError::Code::invalidResponse);
    });
}

} // namespace parley
