#pragma once

#include "twitch/Instant.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QHashFunctions>
#include <QString>

#include <cstdint>
#include <optional>

namespace parley {

// A line of the chat that no chatter wrote: a channel event (subscription,
// gift, raid, announcement), a moderator's timeout, ban or clear, or the
// service's notice. `text` is plain text from the wire, never markup.
struct TwitchChatSystemMessage {
    enum class Kind : std::uint8_t {
        userNotice, // USERNOTICE: sub, resub, subgift, raid, ...; `text` is its "system-msg"
        announcement, // USERNOTICE "announcement": `text` is empty, `userMessage` is the content
        timeout, // CLEARCHAT with a user and a "ban-duration"
        ban, // CLEARCHAT with a user and no duration
        chatCleared, // CLEARCHAT without a user
        notice, // NOTICE: the service's answer to the user
    };

    Kind kind = Kind::notice;
    QString text;
    QString id; // the line's "id" (USERNOTICE); empty for the other kinds
    QString noticeID; // the line's "msg-id" ("sub", "raid", "msg_ratelimit", ...); may be empty
    // The user's own message that came with a USERNOTICE, with its emotes.
    std::optional<TwitchChatTextMessage> userMessage;
    // From "tmi-sent-ts"; absent for lines that carry no time (NOTICE), until
    // the chat client stamps them with the time of arrival.
    std::optional<Instant> sentAt;
    // Sent before this client joined, loaded from the recent history.
    bool isHistorical = false;

    // A USERNOTICE gives a user notice or an announcement; a NOTICE gives a
    // notice with the line's text. Any other line gives none (CLEARCHAT's
    // lines come from TwitchChatClear).
    static std::optional<TwitchChatSystemMessage> fromLine(const TwitchChatIRCMessage& line);

    bool operator==(const TwitchChatSystemMessage&) const = default;
};

size_t qHash(const TwitchChatSystemMessage& message, size_t seed = 0) noexcept;

} // namespace parley
