#include "twitch-sim/SimModeration.h"

#include "twitch-sim/SimChatService.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

namespace parley::sim {
namespace {

QString queryValue(const SimRequest& request, const QString& key)
{
    return QUrlQuery(request.query).queryItemValue(key, QUrl::FullyDecoded);
}

QString timestamp()
{
    return QString::number(QDateTime::currentMSecsSinceEpoch());
}

QString isoTime(qint64 secondsFromNow)
{
    return QDateTime::currentDateTimeUtc().addSecs(secondsFromNow).toString(Qt::ISODate);
}

} // namespace

bool SimModeration::handles(const QString& path)
{
    return path == QLatin1String("/helix/moderation/chat") || path == QLatin1String("/helix/moderation/bans");
}

HttpReply SimModeration::route(const SimRequest& request, const SimToken& token, const SimModel& model)
{
    const bool isChat = request.path == QLatin1String("/helix/moderation/chat");
    const QString scope = isChat ? QStringLiteral("moderator:manage:chat_messages")
                                 : QStringLiteral("moderator:manage:banned_users");
    if (!token.scopes.contains(scope))
        return HttpReply::error(401, QStringLiteral("Missing scope: ") + scope);
    const QString broadcasterID = queryValue(request, QStringLiteral("broadcaster_id"));
    const QString moderatorID = queryValue(request, QStringLiteral("moderator_id"));
    if (broadcasterID.isEmpty())
        return HttpReply::error(400, QStringLiteral("Missing required parameter \"broadcaster_id\""));
    if (moderatorID.isEmpty())
        return HttpReply::error(400, QStringLiteral("Missing required parameter \"moderator_id\""));
    if (moderatorID != token.userID)
        return HttpReply::error(
            401, QStringLiteral("The ID in moderator_id must match the user ID found in the request's OAuth token."));
    const std::optional<SimUser> broadcaster = model.user(broadcasterID);
    if (!broadcaster || broadcasterID != moderatorID)
        return HttpReply::error(403, QStringLiteral("The user in moderator_id is not one of the broadcaster's moderators."));
    if (isChat)
        return request.method == "DELETE" ? deleteMessage(request, broadcaster->login)
                                          : HttpReply::error(405, QStringLiteral("method not allowed"));
    if (request.method == "POST")
        return ban(request, broadcasterID, broadcaster->login);
    if (request.method == "DELETE")
        return unban(request, broadcasterID, broadcaster->login);
    return HttpReply::error(405, QStringLiteral("method not allowed"));
}

HttpReply SimModeration::deleteMessage(const SimRequest& request, const QString& channel)
{
    const QString messageID = queryValue(request, QStringLiteral("message_id"));
    const QString roomID = chat_.roomID(channel);
    if (messageID.isEmpty())
        chat_.sendToChannel(channel,
            QStringLiteral("@room-id=%1;tmi-sent-ts=%2 :tmi.twitch.tv CLEARCHAT #%3").arg(roomID, timestamp(), channel));
    else
        chat_.sendToChannel(channel,
            QStringLiteral("@login=;room-id=;target-msg-id=%1;tmi-sent-ts=%2 :tmi.twitch.tv CLEARMSG #%3 :")
                .arg(messageID, timestamp(), channel));
    return HttpReply { 204, {}, {} };
}

HttpReply SimModeration::ban(const SimRequest& request, const QString& broadcasterID, const QString& channel)
{
    QJsonParseError parseError;
    const QJsonObject data = QJsonDocument::fromJson(request.body, &parseError).object()[u"data"].toObject();
    const QString userID = data[u"user_id"].toString();
    if (parseError.error != QJsonParseError::NoError || userID.isEmpty())
        return HttpReply::error(400, QStringLiteral("Missing required parameter \"user_id\""));
    const bool isTimeout = data.contains(u"duration");
    const int duration = data[u"duration"].toInt(-1);
    if (isTimeout && (duration < 1 || duration > 1209600))
        return HttpReply::error(400, QStringLiteral("The value in the duration field is not valid."));
    if (userID == broadcasterID)
        return HttpReply::error(400, QStringLiteral("The user specified in the user_id field may not be banned."));
    if (banned_.contains(key(broadcasterID, userID)))
        return HttpReply::error(400, QStringLiteral("The user specified in the user_id field is already banned."));
    if (isTimeout) {
        timedOut_.insert(key(broadcasterID, userID));
        announceClearChat(broadcasterID, channel, userID, QStringLiteral("ban-duration=%1;").arg(duration));
    } else {
        timedOut_.remove(key(broadcasterID, userID));
        banned_.insert(key(broadcasterID, userID));
        announceClearChat(broadcasterID, channel, userID, {});
    }
    const QJsonObject record {
        { QStringLiteral("broadcaster_id"), broadcasterID },
        { QStringLiteral("moderator_id"), broadcasterID },
        { QStringLiteral("user_id"), userID },
        { QStringLiteral("created_at"), isoTime(0) },
        { QStringLiteral("end_time"), isTimeout ? QJsonValue(isoTime(duration)) : QJsonValue() },
    };
    return HttpReply::json({ { QStringLiteral("data"), QJsonArray { record } } });
}

HttpReply SimModeration::unban(const SimRequest& request, const QString& broadcasterID, const QString&)
{
    const QString userID = queryValue(request, QStringLiteral("user_id"));
    if (userID.isEmpty())
        return HttpReply::error(400, QStringLiteral("Missing required parameter \"user_id\""));
    const QString entry = key(broadcasterID, userID);
    if (!banned_.remove(entry) && !timedOut_.remove(entry))
        return HttpReply::error(400, QStringLiteral("The user specified in the user_id field is not banned."));
    return HttpReply { 204, {}, {} };
}

void SimModeration::announceClearChat(
    const QString& broadcasterID, const QString& channel, const QString& userID, const QString& tags)
{
    chat_.sendToChannel(channel,
        QStringLiteral("@%1room-id=%2;target-user-id=%3;tmi-sent-ts=%4 :tmi.twitch.tv CLEARCHAT #%5 :%6")
            .arg(tags, broadcasterID, userID, timestamp(), channel, chat_.loginOf(userID)));
}

} // namespace parley::sim
