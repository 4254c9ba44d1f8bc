#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace parley {

// The sender's "user-type" tag; an empty value is a normal user.
enum class TwitchUserType : std::uint8_t {
    normal,
    admin,
    globalModerator,
    staff,
};

QStringView rawValue(TwitchUserType type);
std::optional<TwitchUserType> twitchUserTypeFromRawValue(QStringView value);

} // namespace parley
