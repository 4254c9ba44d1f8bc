#pragma once

#include "twitch/chat/TwitchChatIRCMessage.h"

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace parley {

// The message a chat message answers.
struct TwitchChatMessageReply {
    QString parentMessageID;
    QString parentMessageUserID;
    QString parentMessageLogin;
    std::optional<QString> parentMessageDisplayName;
    QString parentMessageBody;

    // Present only when the parent's id, user id, login and body tags all are;
    // the display name is optional. ID and body are read from the live keys
    // ("reply-parent-msg-id", "reply-parent-msg-body") or their older
    // spellings; display name and body are unescaped.
    static std::optional<TwitchChatMessageReply> fromTags(const TwitchChatIRCMessage::Tags& tags);

    bool operator==(const TwitchChatMessageReply&) const = default;
};

size_t qHash(const TwitchChatMessageReply& reply, size_t seed = 0) noexcept;

} // namespace parley
