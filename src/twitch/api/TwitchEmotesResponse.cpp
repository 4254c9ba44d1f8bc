#include "twitch/api/TwitchEmotesResponse.h"

#include <QJsonArray>

namespace parley {

TwitchEmotesResponse TwitchEmotesResponse::fromJson(const JsonReader& json)
{
    TwitchEmotesResponse response;
    for (const JsonReader& emote : json[QLatin1String("data")].toArray())
        response.data.append(TwitchEmote::fromJson(emote));
    response.template_ = json[QLatin1String("template")].toString();
    return response;
}

QJsonObject TwitchEmotesResponse::toJson() const
{
    QJsonArray emotes;
    for (const TwitchEmote& emote : data)
        emotes.append(emote.toJson());
    return QJsonObject { { QStringLiteral("data"), emotes }, { QStringLiteral("template"), template_ } };
}

} // namespace parley
