#include "twitch/chat/TwitchChatTextMessage.h"

#include "twitch/WireText.h"
#include "twitch/chat/internal/ChatLineFields.h"
#include "twitch/chat/internal/TextPacking.h"
#include "twitch/chat/internal/UUIDText.h"

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;
using namespace textpacking;

QString badgesTagValue(const TwitchBadges& badges)
{
    QStringList pieces;
    badges.forEach([&](TwitchBadge badge, qint64 number) {
        pieces.append(rawValue(badge).toString() + u'/' + QString::number(number));
    });
    return pieces.join(u',');
}

// One piece per mark keeps the marks' order when the value is read again.
QString emotesTagValue(const QList<TwitchEmoteMark>& marks)
{
    QStringList pieces;
    for (const TwitchEmoteMark& mark : marks)
        pieces.append(QStringLiteral("%1:%2-%3").arg(mark.emoteID).arg(mark.begin).arg(mark.end));
    return pieces.join(u'/');
}

// `value` with its tag escapes undone; `storage` holds the text when any
// escape had to be undone.
QStringView unescaped(QStringView value, QString& storage)
{
    if (!value.contains(u'\\'))
        return value;
    storage = wire::unescapeTagValue(value);
    return storage;
}

// "\u0001ACTION waves\u0001" is the action "waves" (the final \u0001 may be
// missing); the service counts emote positions in the text alone.
bool takeAction(QStringView& body)
{
    static constexpr QStringView marker = u"\u0001ACTION ";
    if (!body.startsWith(marker))
        return false;
    body = body.sliced(marker.size());
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

TwitchChatTextMessage::TwitchChatTextMessage() = default;

TwitchChatTextMessage::TwitchChatTextMessage(const Fields& fields)
{
    Header header;
    header.sentAtMicroseconds = fields.sentAt.time_since_epoch().count();
    if (fields.color)
        header.setColor(*fields.color);
    header.userType = fields.userType;
    header.set(Header::isModerator, fields.isModerator);
    header.set(Header::isSubscriber, fields.isSubscriber);
    header.set(Header::isBroadcaster, fields.isBroadcaster);
    header.set(Header::turbo, fields.turbo);
    header.set(Header::isAction, fields.isAction);
    header.set(Header::isDeleted, fields.isDeleted);
    header.set(Header::isFirstMessage, fields.isFirstMessage);
    header.set(Header::isHistorical, fields.isHistorical);
    const QString badges = badgesTagValue(fields.badges);
    const QString emotes = emotesTagValue(fields.emotes);
    const QString emoteSets = fields.emoteSets.join(u',');
    packed_ = pack(header, fields.reply,
        { .body = fields.body, .id = fields.id, .displayName = fields.displayName, .userID = fields.userID,
            .badges = badges, .emotes = emotes, .emoteSets = emoteSets, .badgeInfo = fields.badgeInfo });
}

std::optional<TwitchChatTextMessage> TwitchChatTextMessage::fromLine(const TwitchChatIRCMessage& line)
{
    if (line.command() != TwitchChatIRCCommand::privateMessage)
        return std::nullopt;
    return fromSenderLine(line);
}

// The hot path of a busy chat: the tag values go into the block as they
// stand, without building the unpacked fields.
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

    Header header;
    header.sentAtMicroseconds = sentAt->time_since_epoch().count();
    header.set(Header::isAction, takeAction(*body));
    if (const auto color = TwitchColor::fromString(tags[Tag::color]))
        header.setColor(*color);
    header.userType = twitchUserType(tags[Tag::userType]);
    header.set(Header::isModerator, tags[Tag::mod] == u"1");
    header.set(Header::isSubscriber, tags[Tag::subscriber] == u"1");
    header.set(Header::turbo, tags[Tag::turbo] == u"1");
    header.set(Header::isFirstMessage, tags[Tag::firstMessage] == u"1");
    // Few senders are the broadcaster: only their badges need reading here.
    const QStringView badges = tags[Tag::badges];
    header.set(Header::isBroadcaster,
        badges.contains(u"broadcaster/") && TwitchBadges::fromTagValue(badges).isPositive(TwitchBadge::broadcaster));

    QString nameStorage;
    const auto name = tags.value(Tag::displayName);
    const QStringView displayName = name ? unescaped(*name, nameStorage)
                                         : tags.value(Tag::login).value_or(line.source().nick);
    return TwitchChatTextMessage(pack(header, TwitchChatMessageReply::fromTags(tags),
        { .body = *body, .id = *id, .displayName = displayName, .userID = tags[Tag::userID],
            .badges = tags[Tag::badges], .emotes = tags[Tag::emotes], .emoteSets = tags[Tag::emoteSets],
            .badgeInfo = tags[Tag::badgeInfo] }));
}

TwitchChatTextMessage TwitchChatTextMessage::fromConfirmation(
    const TwitchChatIRCMessage& userState, const PendingMessage& pending, const QString& login)
{
    const auto& tags = userState.tags();
    Fields message;
    message.body = pending.body;
    message.isAction = takeTypedAction(message.body);
    message.badges = TwitchBadges::fromTagValue(tags[Tag::badges]);
    message.badgeInfo = tags[Tag::badgeInfo].toString();
    message.emotes = TwitchEmoteMark::listFromTagValue(tags[Tag::emotes]);
    message.color = TwitchColor::fromString(tags[Tag::color]);
    message.id = tags[Tag::id].toString();
    // One's own flags come from the badges; the flag tags are not consulted.
    message.isModerator = message.badges.isPositive(TwitchBadge::moderator);
    message.isSubscriber = message.badges.isPositive(TwitchBadge::subscriber);
    message.isBroadcaster = message.badges.isPositive(TwitchBadge::broadcaster);
    const auto name = tags.value(Tag::displayName);
    message.displayName = name ? wire::unescapeTagValue(*name) : login;
    message.userType = twitchUserType(tags[Tag::userType]);
    message.turbo = message.badges.isPositive(TwitchBadge::turbo);
    message.reply = TwitchChatMessageReply::fromTags(tags);
    message.sentAt = pending.sentAt;
    return TwitchChatTextMessage(message);
}

TwitchChatTextMessage::Fields TwitchChatTextMessage::fields() const
{
    return Fields { body(), badges(), emotes(), emoteSets(), color(), id(), isModerator(), isSubscriber(),
        isBroadcaster(), displayName(), userType(), turbo(), reply(), sentAt(), userID(), isAction(), isDeleted(),
        badgeInfo(), isFirstMessage(), isHistorical() };
}

QString TwitchChatTextMessage::body() const
{
    return stringOf(packed_, Text::body);
}

TwitchBadges TwitchChatTextMessage::badges() const
{
    return TwitchBadges::fromTagValue(stringOf(packed_, Text::badges));
}

QString TwitchChatTextMessage::badgeTag() const
{
    return stringOf(packed_, Text::badges);
}

QString TwitchChatTextMessage::badgeInfo() const
{
    return stringOf(packed_, Text::badgeInfo);
}

QList<TwitchEmoteMark> TwitchChatTextMessage::emotes() const
{
    return TwitchEmoteMark::listFromTagValue(stringOf(packed_, Text::emotes));
}

QStringList TwitchChatTextMessage::emoteSets() const
{
    QStringList sets;
    const QString value = stringOf(packed_, Text::emoteSets);
    for (QStringView set : QStringView(value).tokenize(u',', Qt::SkipEmptyParts))
        sets.append(set.toString());
    return sets;
}

std::optional<TwitchColor> TwitchChatTextMessage::color() const
{
    const Header header = readHeader(packed_);
    if (!header.has(Header::hasColor))
        return std::nullopt;
    return TwitchColor { header.color[0] / 255.0, header.color[1] / 255.0, header.color[2] / 255.0 };
}

QString TwitchChatTextMessage::id() const
{
    if (readHeader(packed_).has(Header::idIsUUID))
        return uuidtext::textOf(uuidOf(packed_));
    return stringOf(packed_, Text::id);
}

bool TwitchChatTextMessage::isModerator() const
{
    return readHeader(packed_).has(Header::isModerator);
}

bool TwitchChatTextMessage::isSubscriber() const
{
    return readHeader(packed_).has(Header::isSubscriber);
}

bool TwitchChatTextMessage::isBroadcaster() const
{
    return readHeader(packed_).has(Header::isBroadcaster);
}

QString TwitchChatTextMessage::displayName() const
{
    return stringOf(packed_, Text::displayName);
}

TwitchUserType TwitchChatTextMessage::userType() const
{
    return readHeader(packed_).userType;
}

bool TwitchChatTextMessage::turbo() const
{
    return readHeader(packed_).has(Header::turbo);
}

std::optional<TwitchChatMessageReply> TwitchChatTextMessage::reply() const
{
    const Header header = readHeader(packed_);
    if (!header.has(Header::hasReply))
        return std::nullopt;
    std::optional<QString> displayName;
    if (header.has(Header::hasReplyDisplayName))
        displayName = stringOf(packed_, Text::replyDisplayName);
    return TwitchChatMessageReply { stringOf(packed_, Text::replyID), stringOf(packed_, Text::replyUserID),
        stringOf(packed_, Text::replyLogin), std::move(displayName), stringOf(packed_, Text::replyBody) };
}

Instant TwitchChatTextMessage::sentAt() const
{
    return Instant(std::chrono::microseconds(readHeader(packed_).sentAtMicroseconds));
}

QString TwitchChatTextMessage::userID() const
{
    return stringOf(packed_, Text::userID);
}

bool TwitchChatTextMessage::isAction() const
{
    return readHeader(packed_).has(Header::isAction);
}

bool TwitchChatTextMessage::isDeleted() const
{
    return readHeader(packed_).has(Header::isDeleted);
}

bool TwitchChatTextMessage::isFirstMessage() const
{
    return readHeader(packed_).has(Header::isFirstMessage);
}

bool TwitchChatTextMessage::isHistorical() const
{
    return readHeader(packed_).has(Header::isHistorical);
}

void TwitchChatTextMessage::setDeleted(bool deleted)
{
    Header header = readHeader(packed_);
    header.set(Header::isDeleted, deleted);
    writeHeader(packed_, header);
}

void TwitchChatTextMessage::setHistorical(bool historical)
{
    Header header = readHeader(packed_);
    header.set(Header::isHistorical, historical);
    writeHeader(packed_, header);
}

QByteArrayView TwitchChatTextMessage::packedID() const
{
    if (readHeader(packed_).has(Header::idIsUUID))
        return uuidOf(packed_);
    return textOf(packed_, Text::id);
}

QByteArray TwitchChatTextMessage::packedID(QStringView id)
{
    if (const std::optional<uuidtext::Bytes> uuid = uuidtext::bytesOf(id))
        return QByteArray(uuid->data(), uuid->size());
    return id.toUtf8();
}

QByteArrayView TwitchChatTextMessage::packedUserID() const
{
    return textOf(packed_, Text::userID);
}

size_t qHash(const TwitchChatTextMessage& message, size_t seed) noexcept
{
    const TwitchChatTextMessage::Fields fields = message.fields();
    seed = qHashMulti(seed, fields.body, fields.badges, fields.emotes, fields.emoteSets, fields.id, fields.isModerator,
        fields.isSubscriber, fields.isBroadcaster, fields.displayName, static_cast<int>(fields.userType), fields.turbo,
        fields.sentAt.time_since_epoch().count(), fields.userID, fields.isAction, fields.isDeleted,
        fields.isFirstMessage, fields.isHistorical);
    if (fields.color)
        seed = qHash(*fields.color, seed);
    if (fields.reply)
        seed = qHash(*fields.reply, seed);
    return seed;
}

} // namespace parley
