#include "twitch/chat/TwitchChatTextMessage.h"

#include "twitch/WireText.h"
#include "twitch/chat/internal/ChatLineFields.h"

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

QStringList readEmoteSets(QStringView value)
{
    QStringList sets;
    for (QStringView set : value.tokenize(u',', Qt::SkipEmptyParts))
        sets.append(set.toString());
    return sets;
}

QString displayNameOr(const TwitchChatIRCMessage::Tags& tags, QStringView fallback)
{
    const auto name = tags.value(Tag::displayName);
    return name ? wire::unescapeTagValue(*name) : fallback.toString();
}

// "\u0001ACTION waves\u0001" is the action "waves" (the final \u0001 may be
// missing); the service counts emote positions in the text alone.
bool takeAction(QString& body)
{
    static constexpr QStringView marker = u"\u0001ACTION ";
    if (!body.startsWith(marker))
        return false;
    body.remove(0, marker.size());
    if (body.endsWith(u'\u0001'))
        body.chop(1);
    return true;
}

// One's own "/me waves", as typed, is the action "waves".
bool takeTypedAction(QString& body)
{
    static constexpr QStringView command = u"/me ";
    if (!body.startsWith(command))
        return false;
    body.remove(0, command.size());
    return true;
}

} // namespace

std::optional<TwitchChatTextMessage> TwitchChatTextMessage::fromLine(const TwitchChatIRCMessage& line)
{
    if (line.command() != TwitchChatIRCCommand::privateMessage)
        return std::nullopt;
    return fromSenderLine(line);
}

std::optional<TwitchChatTextMessage> TwitchChatTextMessage::fromSenderLine(const TwitchChatIRCMessage& line)
{
    const auto& tags = line.tags();
    const auto id = tags.value(Tag::id);
    if (!id)
        return std::nullopt;
    const auto sentAt = chatline::readSentAt(tags[Tag::tmiSentTS]);
    auto body = chatline::readTrailing(line.parameters());
    if (!sentAt || !body)
        return std::nullopt;

    TwitchChatTextMessage message;
    message.isAction = takeAction(*body);
    message.body = std::move(*body);
    message.badges = TwitchBadges::fromTagValue(tags[Tag::badges]);
    message.emotes = TwitchEmoteMark::listFromTagValue(tags[Tag::emotes]);
    message.emoteSets = readEmoteSets(tags[Tag::emoteSets]);
    message.color = TwitchColor::fromString(tags[Tag::color]);
    message.id = id->toString();
    message.isModerator = tags[Tag::mod] == u"1";
    message.isSubscriber = tags[Tag::subscriber] == u"1";
    message.isBroadcaster = message.badges.isPositive(TwitchBadge::broadcaster);
    message.displayName = displayNameOr(tags, tags.value(Tag::login).value_or(line.source().nick));
    message.userType = twitchUserType(tags[Tag::userType]);
    message.turbo = tags[Tag::turbo] == u"1";
    message.reply = TwitchChatMessageReply::fromTags(tags);
    message.sentAt = *sentAt;
    message.userID = tags[Tag::userID].toString();
    return message;
}

TwitchChatTextMessage TwitchChatTextMessage::fromConfirmation(
    const TwitchChatIRCMessage& userState, const PendingMessage& pending, const QString& login)
{
    const auto& tags = userState.tags();
    TwitchChatTextMessage message;
    message.body = pending.body;
    message.isAction = takeTypedAction(message.body);
    message.badges = TwitchBadges::fromTagValue(tags[Tag::badges]);
    message.emotes = TwitchEmoteMark::listFromTagValue(tags[Tag::emotes]);
    message.color = TwitchColor::fromString(tags[Tag::color]);
    message.id = tags[Tag::id].toString();
    // One's own flags come from the badges; the flag tags are not consulted.
    message.isModerator = message.badges.isPositive(TwitchBadge::moderator);
    message.isSubscriber = message.badges.isPositive(TwitchBadge::subscriber);
    message.isBroadcaster = message.badges.isPositive(TwitchBadge::broadcaster);
    message.displayName = displayNameOr(tags, login);
    message.userType = twitchUserType(tags[Tag::userType]);
    message.turbo = message.badges.isPositive(TwitchBadge::turbo);
    message.reply = TwitchChatMessageReply::fromTags(tags);
    message.sentAt = pending.sentAt;
    return message;
}

size_t qHash(const TwitchChatTextMessage& message, size_t seed) noexcept
{
    seed = qHashMulti(seed, message.body, message.badges, message.emotes, message.emoteSets, message.id,
        message.isModerator, message.isSubscriber, message.isBroadcaster, message.displayName,
        static_cast<int>(message.userType), message.turbo, message.sentAt.time_since_epoch().count(), message.userID,
        message.isAction, message.isDeleted);
    if (message.color)
        seed = qHash(*message.color, seed);
    if (message.reply)
        seed = qHash(*message.reply, seed);
    return seed;
}

} // namespace parley
