#pragma once

#include "twitch/RawValue.h"

#include <QStringView>

#include <array>
#include <cstdint>
#include <utility>

namespace parley {

// The sender's "user-type" tag; an empty value is a normal user.
enum class TwitchUserType : std::uint8_t {
    normal,
    admin,
    globalModerator,
    staff,
};

template <>
struct RawValues<TwitchUserType> {
    static constexpr std::array<std::pair<TwitchUserType, QStringView>, 4> table { {
        { TwitchUserType::normal, u"" },
        { TwitchUserType::admin, u"admin" },
        { TwitchUserType::globalModerator, u"global_mod" },
        { TwitchUserType::staff, u"staff" },
    } };
};

} // namespace parley
