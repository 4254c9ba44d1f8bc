#include "twitch/api/TwitchUserInfo.h"

namespace parley {

TwitchUserInfo TwitchUserInfo::fromJson(const JsonReader& json)
{
    return TwitchUserInfo {
        json[QLatin1String("id")].toString(),
        json[QLatin1String("login")].toString(),
        json[QLatin1String("display_name")].toString(),
    };
}

} // namespace parley
