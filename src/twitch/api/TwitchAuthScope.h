#pragma once

#include "platform/RawValue.h"

#include <QHashFunctions>
#include <QSet>

#include <array>
#include <utility>

namespace parley {

// An OAuth permission Parley asks for. The raw value is the wire form.
enum class TwitchAuthScope { chatEdit, chatRead, moderatorManageChatMessages, moderatorManageBannedUsers };

template <>
struct RawValues<TwitchAuthScope> {
    static constexpr std::array<std::pair<TwitchAuthScope, QStringView>, 4> table { {
        { TwitchAuthScope::chatEdit, u"chat:edit" },
        { TwitchAuthScope::chatRead, u"chat:read" },
        { TwitchAuthScope::moderatorManageChatMessages, u"moderator:manage:chat_messages" },
        { TwitchAuthScope::moderatorManageBannedUsers, u"moderator:manage:banned_users" },
    } };
};

inline size_t qHash(TwitchAuthScope scope, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(scope), seed);
}

} // namespace parley
