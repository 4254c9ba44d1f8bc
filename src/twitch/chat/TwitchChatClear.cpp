#include "twitch/chat/TwitchChatClear.h"

#include "twitch/WireText.h"
#include "twitch/chat/internal/ChatLineFields.h"

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

std::optional<TwitchChatClear> clearMessage(const TwitchChatIRCMessage& line)
{
    const auto& tags = line.tags();
    const auto target = tags.value(Tag::targetMessageID);
    if (!target)
        return std::nullopt;
    TwitchChatClear clear;
    clear.kind = TwitchChatClear::Kind::message;
    clear.targetMessageID = target->toString();
    clear.login = tags[Tag::login].toString();
    clear.sentAt = chatline::readSentAt(tags[Tag::tmiSentTS]);
    return clear;
}

TwitchChatClear clearChat(const TwitchChatIRCMessage& line)
{
    const auto& tags = line.tags();
    TwitchChatClear clear;
    clear.sentAt = chatline::readSentAt(tags[Tag::tmiSentTS]);
    const auto target = tags.value(Tag::targetUserID);
    if (!target)
        return clear;
    clear.kind = TwitchChatClear::Kind::user;
    clear.targetUserID = target->toString();
    // "#chan :login"; a line without the login still names the user by id.
    clear.login = chatline::readTrailing(line.parameters()).value_or(clear.targetUserID).toString();
    if (const auto duration = tags.value(Tag::banDuration))
        clear.banDuration = wire::readInt64(*duration);
    return clear;
}

} // namespace

std::optional<TwitchChatClear> TwitchChatClear::fromLine(const TwitchChatIRCMessage& line)
{
    switch (line.command()) {
    case TwitchChatIRCCommand::clearMsg:
        return clearMessage(line);
    case TwitchChatIRCCommand::clearChat:
        return clearChat(line);
    default:
        return std::nullopt;
    }
}

std::optional<TwitchChatSystemMessage> TwitchChatClear::systemMessage() const
{
    TwitchChatSystemMessage message;
    message.sentAt = sentAt;
    switch (kind) {
    case Kind::message:
        return std::nullopt;
    case Kind::user:
        message.kind = banDuration ? TwitchChatSystemMessage::Kind::timeout : TwitchChatSystemMessage::Kind::ban;
        // Joined, not arg(): a login is wire text and may hold "%2".
        message.text = banDuration ? login + QStringLiteral(" has been timed out for ") +
                QString::number(*banDuration) + QStringLiteral(" seconds.")
                                   : login + QStringLiteral(" has been banned.");
        break;
    case Kind::chat:
        message.kind = TwitchChatSystemMessage::Kind::chatCleared;
        message.text = QStringLiteral("Chat has been cleared by a moderator.");
        break;
    }
    return message;
}

} // namespace parley
