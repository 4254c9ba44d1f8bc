#include "twitch/chat/TwitchUserType.h"

#include <array>

namespace parley {

namespace {

constexpr std::array<QStringView, 4> userTypeValues { u"", u"admin", u"global_mod", u"staff" };

} // namespace

QStringView rawValue(TwitchUserType type)
{
    return userTypeValues[static_cast<std::size_t>(type)];
}

std::optional<TwitchUserType> twitchUserTypeFromRawValue(QStringView value)
{
    for (std::size_t i = 0; i < userTypeValues.size(); ++i)
        if (userTypeValues[i] == value)
            return static_cast<TwitchUserType>(i);
    return std::nullopt;
}

} // namespace parley
