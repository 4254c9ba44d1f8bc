#pragma once

#include "twitch/Instant.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatSystemMessage.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace parley {

// A moderator removed chat: one message (CLEARMSG), one user's messages
// (CLEARCHAT naming a user: a timeout or a ban) or the whole chat (CLEARCHAT
// alone). The chat client shows the removed messages as deleted, in place.
struct TwitchChatClear {
    enum class Kind : std::uint8_t { message, user, chat };

    Kind kind = Kind::chat;
    QString targetMessageID; // message: the deleted message's id
    QString targetUserID; // user: whose messages are removed
    QString login; // message: the author's login; user: the user's login
    std::optional<qint64> banDuration; // user: a timeout's seconds; absent for a ban
    std::optional<Instant> sentAt;

    // A CLEARMSG with "target-msg-id", or a CLEARCHAT, gives a clear; any
    // other line none. A CLEARCHAT names a user by "target-user-id".
    static std::optional<TwitchChatClear> fromLine(const TwitchChatIRCMessage& line);

    // The line the chat shows for it: "NAME has been timed out for N
    // seconds.", "NAME has been banned." or "Chat has been cleared by a
    // moderator."; none for one deleted message.
    std::optional<TwitchChatSystemMessage> systemMessage() const;

    bool operator==(const TwitchChatClear&) const = default;
};

} // namespace parley
