#include "twitch/TwitchChatIRCMessage.h"

#include "platform/Diagnostics.h"
#include "twitch/WireText.h"

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

constexpr std::array<QStringView, TwitchChatIRCMessage::tagCount> tagKeys {
    u"room-id", u"user-id", u"user-type", u"target-user-id", u"tmi-sent-ts",
    u"badge-info", u"badges", u"bits", u"color", u"client-nonce", u"display-name",
    u"emotes", u"emote-sets", u"first-msg", u"flags", u"id", u"mod", u"subscriber",
    u"subs-only", u"followers-only", u"emote-only", u"slow", u"r9k", u"turbo", u"vip",
    u"returning-chatter", u"reply-parent-message-id", u"reply-parent-user-id",
    u"reply-parent-user-login", u"reply-parent-display-name",
    u"reply-parent-message-body", u"reply-thread-parent-message-id",
    u"reply-thread-parent-user-login",
};

// Keys grouped by length, so a lookup compares against at most four keys.
struct KeysOfLength {
    std::uint8_t count = 0;
    std::array<std::uint8_t, 4> tags {};
};

constexpr auto keysByLength = [] {
    std::array<KeysOfLength, 31> table {};
    for (std::size_t i = 0; i < tagKeys.size(); ++i) {
        KeysOfLength& entry = table[static_cast<std::size_t>(tagKeys[i].size())];
        entry.tags[entry.count++] = static_cast<std::uint8_t>(i);
    }
    return table;
}();

std::optional<TwitchChatIRCMessage::Source> readSource(QStringView text)
{
    std::array<QStringView, 2> pieces;
    std::size_t count = 0;
    for (QStringView piece : text.tokenize(u'!', Qt::SkipEmptyParts)) {
        pieces[count++] = piece;
        if (count == pieces.size())
            break;
    }
    switch (count) {
    case 0:
        return std::nullopt;
    case 1:
        return TwitchChatIRCMessage::Source { {}, pieces[0] };
    default:
        return TwitchChatIRCMessage::Source { pieces[0], pieces[1] };
    }
}

std::optional<TwitchChatIRCCommand> readCommand(QStringView text)
{
    if (wire::readInt64(text))
        return TwitchChatIRCCommand::numeric;
    return twitchChatIRCCommandFromRawValue(text);
}

void logUnknownTag(QStringView key)
{
    QString line = QStringLiteral("TwitchChat.IRCMessage.unknownTag: ");
    line.append(key);
    Diagnostics::write(line);
}

} // namespace

QStringView TwitchChatIRCMessage::rawValue(Tag tag)
{
    return tagKeys[static_cast<std::size_t>(tag)];
}

std::optional<Tag> TwitchChatIRCMessage::tagFromRawValue(QStringView key)
{
    if (key.size() >= qsizetype(keysByLength.size()))
        return std::nullopt;
    const KeysOfLength& candidates = keysByLength[static_cast<std::size_t>(key.size())];
    for (std::size_t i = 0; i < candidates.count; ++i)
        if (tagKeys[candidates.tags[i]] == key)
            return static_cast<Tag>(candidates.tags[i]);
    return std::nullopt;
}

TwitchChatIRCMessage::ParseFailure::ParseFailure(ParseError error)
    : Error(QStringLiteral("The line is not a valid IRC message.")), error_(error)
{
}

TwitchChatIRCMessage TwitchChatIRCMessage::parse(const QString& line)
{
    auto message = tryParse(line);
    if (!message)
        throw ParseFailure(ParseError::invalidMessage);
    return std::move(*message);
}

std::optional<TwitchChatIRCMessage> TwitchChatIRCMessage::tryParse(const QString& line)
{
    TwitchChatIRCMessage message;
    message.line_ = line;
    if (!message.parseLine(message.line_))
        return std::nullopt;
    return message;
}

// One pass over the line: the tags section up to the first space, a prefix
// marker that is skipped unseen, the source up to the next space, the command
// up to the next space or the end, and everything after as parameters.
bool TwitchChatIRCMessage::parseLine(QStringView line)
{
    qsizetype position = 0;
    QStringView tagsText;
    if (line.startsWith(u'@')) {
        const qsizetype space = line.indexOf(u' ');
        tagsText = line.sliced(1, (space < 0 ? line.size() : space) - 1);
        position = space < 0 ? line.size() : space + 1;
    }
    if (position >= line.size())
        return false;
    const qsizetype sourceStart = wire::afterCodePoint(line, position);
    const qsizetype sourceEnd = line.indexOf(u' ', sourceStart);
    if (sourceEnd < 0)
        return false;
    const qsizetype commandStart = sourceEnd + 1;
    const qsizetype commandEnd = line.indexOf(u' ', commandStart);
    const QStringView commandText = commandEnd < 0 ? line.sliced(commandStart)
                                                   : line.sliced(commandStart, commandEnd - commandStart);
    if (commandEnd >= 0)
        parameters_ = line.sliced(commandEnd + 1);

    parseTags(tagsText);
    const auto source = readSource(line.sliced(sourceStart, sourceEnd - sourceStart));
    const auto command = readCommand(commandText);
    if (!source || !command)
        return false;
    source_ = *source;
    command_ = *command;
    return true;
}

void TwitchChatIRCMessage::parseTags(QStringView text)
{
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype equals = text.indexOf(u'=', position);
        if (equals < 0)
            return;
        const QStringView key = text.sliced(position, equals - position);
        const auto tag = tagFromRawValue(key);
        qsizetype semicolon;
        if (tag) {
            semicolon = text.indexOf(u';', equals + 1);
            const qsizetype valueEnd = semicolon < 0 ? text.size() : semicolon;
            tags_.insert(*tag, text.sliced(equals + 1, valueEnd - equals - 1));
        } else {
            logUnknownTag(key);
            // The skip starts at the key: a ";" inside it ends the skip there.
            semicolon = text.indexOf(u';', position);
        }
        if (semicolon < 0)
            return;
        position = semicolon + 1;
    }
}

bool TwitchChatIRCMessage::operator==(const TwitchChatIRCMessage& other) const
{
    return tags_ == other.tags_ && source_ == other.source_ && command_ == other.command_
        && parameters_ == other.parameters_;
}

} // namespace parley
