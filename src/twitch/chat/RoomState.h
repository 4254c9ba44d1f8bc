#pragma once

#include "twitch/chat/TwitchChatIRCMessage.h"

#include <QString>

#include <optional>

namespace parley {

// The chat room's settings. The service sends only the settings that changed,
// so a ROOMSTATE line is read over the room's previous state.
struct RoomState {
    QString id;
    bool isFollowersOnly = false; // "followers-only": minutes, -1 is off, 0 any follower
    bool isEmoteOnly = false; // "emote-only": 1 or 0
    bool isSlow = false; // "slow": seconds between messages, 0 is off
    bool isSubscribersOnly = false; // "subs-only": 1 or 0

    // A ROOMSTATE with a "room-id" tag gives a room state; any other line none.
    // Settings the line does not carry keep their value in `previous` when it
    // is the same room, and are off otherwise.
    static std::optional<RoomState> fromLine(
        const TwitchChatIRCMessage& line, const std::optional<RoomState>& previous = std::nullopt);

    bool operator==(const RoomState&) const = default;
};

} // namespace parley
