#include "twitch/api/TwitchEmoteSet.h"

#include <QJsonArray>

namespace parley {

TwitchEmoteSet TwitchEmoteSet::fromResponse(TwitchEmotesResponse response)
{
    return TwitchEmoteSet { std::move(response.data), std::move(response.template_) };
}

TwitchEmoteSet TwitchEmoteSet::fromJson(const JsonReader& json)
{
    TwitchEmoteSet set;
    for (const JsonReader& emote : json[QLatin1String("emotes")].toArray())
        set.emotes.append(TwitchEmote::fromJson(emote));
    set.template_ = json[QLatin1String("template")].toString();
    return set;
}

QJsonObject TwitchEmoteSet::toJson() const
{
    QJsonArray array;
    for (const TwitchEmote& emote : emotes)
        array.append(emote.toJson());
    return QJsonObject { { QStringLiteral("emotes"), array }, { QStringLiteral("template"), template_ } };
}

} // namespace parley
