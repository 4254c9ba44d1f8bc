#include "twitch/chat/TwitchChatMessageReply.h"

namespace parley {

std::optional<TwitchChatMessageReply> TwitchChatMessageReply::fromTags(const TwitchChatIRCMessage::Tags& tags)
{
    using Tag = TwitchChatIRCMessage::Tag;
    const auto id = tags.value(Tag::replyParentMessageID);
    const auto userID = tags.value(Tag::replyParentUserID);
    const auto login = tags.value(Tag::replyParentUserLogin);
    const auto body = tags.value(Tag::replyParentMessageBody);
    if (!id || !userID || !login || !body)
        return std::nullopt;
    std::optional<QString> displayName;
    if (const auto name = tags.value(Tag::replyParentDisplayName))
        displayName = name->toString();
    return TwitchChatMessageReply {
        id->toString(), userID->toString(), login->toString(), std::move(displayName), body->toString(),
    };
}

size_t qHash(const TwitchChatMessageReply& reply, size_t seed) noexcept
{
    return qHashMulti(seed, reply.parentMessageID, reply.parentMessageUserID, reply.parentMessageLogin,
                      reply.parentMessageDisplayName.has_value(),
                      reply.parentMessageDisplayName.value_or(QString()), reply.parentMessageBody);
}

} // namespace parley
