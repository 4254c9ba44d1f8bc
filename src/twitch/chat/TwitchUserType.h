#pragma once

#include "platform/RawValue.h"

#include <QStringView>

#include <array>
#include <cstdint>
#include <utility>

namespace parley {

// The sender's "user-type" tag; an empty value is a normal user, and so is
// any value Parley does not know (a new value must never drop a message).
enum class TwitchUserType : std::uint8_t {
    normal,
    admin,
    globalModerator,
    staff,
    moderator,
};

template <>
struct RawValues<TwitchUserType> {
    static constexpr std::array<std::pair<TwitchUserType, QStringView>, 5> table { {
        { TwitchUserType::normal, u"" },
        { TwitchUserType::admin, u"admin" },
        { TwitchUserType::globalModerator, u"global_mod" },
        { TwitchUserType::staff, u"staff" },
        { TwitchUserType::moderator, u"mod" },
    } };
};

// The user type of a "user-type" value; unknown values read as normal.
inline TwitchUserType twitchUserType(QStringView value)
{
    return fromRawValue<TwitchUserType>(value).value_or(TwitchUserType::normal);
}

} // namespace parley
