#pragma once

#include "platform/JsonReader.h"

#include <QString>

namespace parley {

// A Twitch user as the Helix API describes one.
struct TwitchUserInfo {
    QString id;
    QString login;
    QString displayName;

    static TwitchUserInfo fromJson(const JsonReader& json);

    friend bool operator==(const TwitchUserInfo&, const TwitchUserInfo&) = default;
};

} // namespace parley
