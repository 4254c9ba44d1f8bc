#include "twitch/api/TwitchEmote.h"

#include <QJsonArray>

namespace parley {
namespace {

template <typename Enum>
QJsonArray rawValues(const QList<Enum>& values)
{
    QJsonArray array;
    for (Enum value : values)
        array.append(rawValue(value).toString());
    return array;
}

} // namespace

TwitchEmote TwitchEmote::fromJson(const JsonReader& json)
{
    TwitchEmote emote;
    emote.id = json[QLatin1String("id")].toString();
    emote.name = json[QLatin1String("name")].toString();
    emote.images = TwitchEmoteImages::fromJson(json[QLatin1String("images")]);
    emote.format = json[QLatin1String("format")].toKnownEnumList<Format>();
    emote.scale = json[QLatin1String("scale")].toKnownEnumList<Scale>();
    emote.themeModes = json[QLatin1String("theme_mode")].toKnownEnumList<ThemeMode>();
    if (const std::optional<JsonReader> setID = json.optional(QLatin1String("emote_set_id")))
        emote.emoteSetID = setID->toString();
    return emote;
}

QJsonObject TwitchEmote::toJson() const
{
    QJsonObject json {
        { QStringLiteral("id"), id },
        { QStringLiteral("name"), name },
        { QStringLiteral("images"), images.toJson() },
        { QStringLiteral("format"), rawValues(format) },
        { QStringLiteral("scale"), rawValues(scale) },
        { QStringLiteral("theme_mode"), rawValues(themeModes) },
    };
    if (emoteSetID)
        json.insert(QStringLiteral("emote_set_id"), *emoteSetID);
    return json;
}

} // namespace parley
