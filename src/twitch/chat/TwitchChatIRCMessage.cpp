#include "twitch/chat/TwitchChatIRCMessage.h"

#include "platform/Diagnostics.h"
#include "twitch/WireText.h"

#include <bit>
#include <cstring>

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

// A perfect hash of the known keys over their length, first and last
// character, so a lookup compares against one key at most. The table is built
// at compile time and the build fails if two keys ever share a slot.
constexpr std::size_t keySlot(qsizetype length, char16_t first, char16_t last)
{
    return (std::size_t(length) + 11 * std::size_t(first) + 118 * std::size_t(last)) % 128;
}

constexpr auto& tagKeys = RawValues<Tag>::table;

constexpr auto tagsBySlot = [] {
    std::array<std::int8_t, 128> table {};
    table.fill(-1);
    for (std::size_t i = 0; i < tagKeys.size(); ++i) {
        if (tagKeys[i].first != Tag(i))
            throw "the tag keys are not in the order of Tag";
        const QStringView key = tagKeys[i].second;
        std::int8_t& slot = table[keySlot(key.size(), key.utf16()[0], key.utf16()[key.size() - 1])];
        if (slot >= 0)
            throw "two tag keys share a slot";
        slot = std::int8_t(i);
    }
    return table;
}();

// Keys of equal length, compared four characters at a time and inline: a
// call to memcmp costs more than the comparison of a short key.
bool sameKey(QStringView known, QStringView key)
{
    const char16_t* a = known.utf16();
    const char16_t* b = key.utf16();
    const qsizetype size = known.size();
    if (a[0] != b[0] || a[size - 1] != b[size - 1])
        return false;
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, sizeof x);
        std::memcpy(&y, b + i, sizeof y);
        if (x != y)
            return false;
    }
    for (; i < size; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// The index of the first `wanted` at or after `from`, or `size`. Tag keys and
// values are a few characters long, so instead of a vectorised search (whose
// set-up costs more than such a scan) this looks at four characters per step
// in one 64-bit word.
qsizetype findInTags(const char16_t* characters, qsizetype from, qsizetype size, char16_t wanted)
{
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t ones = 0x0001000100010001;
        constexpr std::uint64_t highs = 0x8000800080008000;
        const std::uint64_t pattern = ones * wanted;
        for (; from + 4 <= size; from += 4) {
            std::uint64_t word;
            std::memcpy(&word, characters + from, sizeof word);
            word ^= pattern;
            // A set high bit marks a zero character; the lowest one is exact.
            const std::uint64_t zeros = (word - ones) & ~word & highs;
            if (zeros)
                return from + std::countr_zero(zeros) / 16;
        }
    }
    while (from < size && characters[from] != wanted)
        ++from;
    return from;
}

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
    return fromRawValue<TwitchChatIRCCommand>(text);
}

void logUnknownTag(QStringView key)
{
    QString line = QStringLiteral("TwitchChat.IRCMessage.unknownTag: ");
    line.append(key);
    Diagnostics::write(line);
}

} // namespace

std::optional<Tag> RawValues<Tag>::find(QStringView key)
{
    if (key.isEmpty())
        return std::nullopt;
    const std::int8_t index = tagsBySlot[keySlot(key.size(), key.utf16()[0], key.utf16()[key.size() - 1])];
    if (index < 0)
        return std::nullopt;
    const QStringView known = tagKeys[std::size_t(index)].second;
    if (known.size() != key.size() || !sameKey(known, key))
        return std::nullopt;
    return static_cast<Tag>(index);
}

TwitchChatIRCMessage::ParseFailure::ParseFailure(ParseError error)
    : Error(QStringLiteral("The line is not a valid IRC message.")), error_(error)
{ }

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

// Left to right without going back: the tags section up to the first space,
// a prefix marker that is skipped unseen, the source up to the next space, the command
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
    const char16_t* const characters = text.utf16();
    const qsizetype size = text.size();
    const auto find = [&](char16_t wanted, qsizetype from) { return findInTags(characters, from, size, wanted); };
    qsizetype position = 0;
    while (position < size) {
        const qsizetype equals = find(u'=', position);
        if (equals == size)
            return;
        const QStringView key = text.sliced(position, equals - position);
        const auto tag = fromRawValue<Tag>(key);
        qsizetype semicolon;
        if (tag) {
            semicolon = find(u';', equals + 1);
            tags_.insert(*tag, text.sliced(equals + 1, semicolon - equals - 1));
        } else {
            logUnknownTag(key);
            // The skip starts at the key: a ";" inside it ends the skip there.
            semicolon = find(u';', position);
        }
        position = semicolon + 1;
    }
}

bool TwitchChatIRCMessage::operator==(const TwitchChatIRCMessage& other) const
{
    return tags_ == other.tags_ && source_ == other.source_ && command_ == other.command_ &&
        parameters_ == other.parameters_;
}

} // namespace parley
