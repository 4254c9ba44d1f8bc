#include "twitch/chat/TwitchChatMessageReply.h"

#include "twitch/WireText.h"

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

// The live service's key wins over the older spelling it replaced.
std::optional<QStringView> either(const TwitchChatIRCMessage::Tags& tags, Tag live, Tag alias)
{
    if (const auto value = tags.value(live))
        return value;
    return tags.value(alias);
}

} // namespace

std::optional<TwitchChatMessageReply> TwitchChatMessageReply::fromTags(const TwitchChatIRCMessage::Tags& tags)
{
    const auto id = either(tags, Tag::replyParentMsgID, Tag::replyParentMessageID);
    const auto userID = tags.value(Tag::replyParentUserID);
    const auto login = tags.value(Tag::replyParentUserLogin);
    const auto body = either(tags, Tag::replyParentMsgBody, Tag::replyParentMessageBody);
    if (!id || !userID || !login || !body)
        return std::nullopt;
    std::optional<QString> displayName;
    if (const auto name = tags.value(Tag::replyParentDisplayName))
        displayName = wire::unescapeTagValue(*name);
    return TwitchChatMessageReply {
        id->toString(),
        userID->toString(),
        login->toString(),
        std::move(displayName),
        wire::unescapeTagValue(*body),
    };
}

size_t qHash(const TwitchChatMessageReply& reply, size_t seed) noexcept
{
    return qHashMulti(seed, reply.parentMessageID, reply.parentMessageUserID, reply.parentMessageLogin,
        reply.parentMessageDisplayName.has_value(), reply.parentMessageDisplayName.value_or(QString()),
        reply.parentMessageBody);
}

} // namespace parley
