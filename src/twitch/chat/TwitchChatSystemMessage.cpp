#include "twitch/chat/TwitchChatSystemMessage.h"

#include "twitch/WireText.h"
#include "twitch/chat/internal/ChatLineFields.h"

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

TwitchChatSystemMessage userNotice(const TwitchChatIRCMessage& line)
{
    const auto& tags = line.tags();
    TwitchChatSystemMessage message;
    message.noticeID = tags[Tag::msgID].toString();
    message.kind = message.noticeID == u"announcement" ? TwitchChatSystemMessage::Kind::announcement
                                                       : TwitchChatSystemMessage::Kind::userNotice;
    message.text = wire::unescapeTagValue(tags[Tag::systemMessage]);
    message.id = tags[Tag::id].toString();
    message.userMessage = TwitchChatTextMessage::fromSenderLine(line);
    message.sentAt = chatline::readSentAt(tags[Tag::tmiSentTS]);
    return message;
}

TwitchChatSystemMessage notice(const TwitchChatIRCMessage& line)
{
    TwitchChatSystemMessage message;
    message.kind = TwitchChatSystemMessage::Kind::notice;
    message.text = chatline::readTrailing(line.parameters()).value_or(QStringView()).toString();
    message.noticeID = line.tags()[Tag::msgID].toString();
    return message;
}

} // namespace

std::optional<TwitchChatSystemMessage> TwitchChatSystemMessage::fromLine(const TwitchChatIRCMessage& line)
{
    switch (line.command()) {
    case TwitchChatIRCCommand::userNotice:
        return userNotice(line);
    case TwitchChatIRCCommand::notice:
        return notice(line);
    default:
        return std::nullopt;
    }
}

size_t qHash(const TwitchChatSystemMessage& message, size_t seed) noexcept
{
    seed = qHashMulti(seed, static_cast<int>(message.kind), message.text, message.id, message.noticeID,
        message.sentAt.has_value(), message.sentAt ? message.sentAt->time_since_epoch().count() : 0,
        message.isHistorical);
    if (message.userMessage)
        seed = qHash(*message.userMessage, seed);
    return seed;
}

} // namespace parley
