#include "twitch/chat/TwitchChatTextMessage.h"

#include "twitch/WireText.h"

#include <cmath>

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

// "tmi-sent-ts" is milliseconds since 1970; fractions down to the
// microsecond are kept. A time beyond the range of an Instant does not read.
std::optional<Instant> readSentAt(QStringView value)
{
    const auto milliseconds = wire::readDecimal(value);
    if (!milliseconds)
        return std::nullopt;
    const double microseconds = std::round(*milliseconds * 1000.0);
    constexpr double limit = 9.2e18; // just inside the 64-bit range
    if (!(std::fabs(microseconds) < limit))
        return std::nullopt;
    return Instant(std::chrono::microseconds(static_cast<qint64>(microseconds)));
}

// The text after the channel: "#chan :text" gives "text". The first character
// after the space is dropped unseen (it is the ":" on the wire).
std::optional<QString> readBody(QStringView parameters)
{
    const auto parts = wire::splitOnce(parameters, u' ');
    if (!parts)
        return std::nullopt;
    const QStringView rest = parts->second;
    return rest.sliced(wire::afterCodePoint(rest, 0)).toString();
}

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
    return (name ? *name : fallback).toString();
}

} // namespace

std::optional<TwitchChatTextMessage> TwitchChatTextMessage::fromLine(const TwitchChatIRCMessage& line)
{
    const auto& tags = line.tags();
    const auto id = tags.value(Tag::id);
    if (line.command() != TwitchChatIRCCommand::privateMessage || !id)
        return std::nullopt;
    const auto userType = fromRawValue<TwitchUserType>(tags[Tag::userType]);
    const auto sentAt = readSentAt(tags[Tag::tmiSentTS]);
    auto body = readBody(line.parameters());
    if (!userType || !sentAt || !body)
        return std::nullopt;

    TwitchChatTextMessage message;
    message.body = std::move(*body);
    message.badges = TwitchBadges::fromTagValue(tags[Tag::badges]);
    message.emotes = TwitchEmoteMark::listFromTagValue(tags[Tag::emotes]);
    message.emoteSets = readEmoteSets(tags[Tag::emoteSets]);
    message.color = TwitchColor::fromString(tags[Tag::color]);
    message.id = id->toString();
    message.isModerator = tags[Tag::mod] == u"1";
    message.isSubscriber = tags[Tag::subscriber] == u"1";
    message.isBroadcaster = message.badges.isPositive(TwitchBadge::broadcaster);
    message.displayName = displayNameOr(tags, line.source().nick);
    message.userType = *userType;
    message.turbo = tags[Tag::turbo] == u"1";
    message.reply = TwitchChatMessageReply::fromTags(tags);
    message.sentAt = *sentAt;
    return message;
}

TwitchChatTextMessage TwitchChatTextMessage::fromConfirmation(const TwitchChatIRCMessage& userState,
                                                              const PendingMessage& pending,
                                                              const QString& login)
{
    const auto& tags = userState.tags();
    TwitchChatTextMessage message;
    message.body = pending.body;
    message.badges = TwitchBadges::fromTagValue(tags[Tag::badges]);
    message.emotes = TwitchEmoteMark::listFromTagValue(tags[Tag::emotes]);
    message.color = TwitchColor::fromString(tags[Tag::color]);
    message.id = tags[Tag::id].toString();
    // One's own flags come from the badges; the flag tags are not consulted.
    message.isModerator = message.badges.isPositive(TwitchBadge::moderator);
    message.isSubscriber = message.badges.isPositive(TwitchBadge::subscriber);
    message.isBroadcaster = message.badges.isPositive(TwitchBadge::broadcaster);
    message.displayName = displayNameOr(tags, login);
    message.userType = fromRawValue<TwitchUserType>(tags[Tag::userType]).value_or(TwitchUserType::normal);
    message.turbo = message.badges.isPositive(TwitchBadge::turbo);
    message.reply = TwitchChatMessageReply::fromTags(tags);
    message.sentAt = pending.sentAt;
    return message;
}

size_t qHash(const TwitchChatTextMessage& message, size_t seed) noexcept
{
    seed = qHashMulti(seed, message.body, message.badges, message.emotes, message.emoteSets, message.id,
                      message.isModerator, message.isSubscriber, message.isBroadcaster,
                      message.displayName, static_cast<int>(message.userType), message.turbo,
                      message.sentAt.time_since_epoch().count());
    if (message.color)
        seed = qHash(*message.color, seed);
    if (message.reply)
        seed = qHash(*message.reply, seed);
    return seed;
}

} // namespace parley
