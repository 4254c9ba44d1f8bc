#pragma once

#include "twitch/chat/TwitchChatIRCMessage.h"

#include <QString>

#include <optional>

namespace parley {

// The chat room's settings from one ROOMSTATE line. Flags the line does not
// carry are false: nothing is merged with an earlier room state.
struct RoomState {
    QString id;
    bool isFollowersOnly = false;
    bool isEmoteOnly = false;
    bool isSlow = false;
    bool isSubscribersOnly = false;

    // A ROOMSTATE with a "room-id" tag gives a room state; any other line none.
    // A flag is set only by the exact value "1" ("slow=30" is not slow).
    static std::optional<RoomState> fromLine(const TwitchChatIRCMessage& line);

    bool operator==(const RoomState&) const = default;
};

} // namespace parley
