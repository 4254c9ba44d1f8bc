#include "twitch/api/TwitchEmoteImages.h"

namespace parley {

TwitchEmoteImages TwitchEmoteImages::fromJson(const JsonReader& json)
{
    return TwitchEmoteImages {
        json[QLatin1String("url_1x")].toUrl(),
        json[QLatin1String("url_2x")].toUrl(),
        json[QLatin1String("url_4x")].toUrl(),
    };
}

QJsonObject TwitchEmoteImages::toJson() const
{
    return QJsonObject {
        { QStringLiteral("url_1x"), url1x.toString(QUrl::FullyEncoded) },
        { QStringLiteral("url_2x"), url2x.toString(QUrl::FullyEncoded) },
        { QStringLiteral("url_4x"), url4x.toString(QUrl::FullyEncoded) },
    };
}

} // namespace parley
