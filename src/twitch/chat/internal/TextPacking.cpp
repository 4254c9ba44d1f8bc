#include "twitch/chat/internal/TextPacking.h"

#include "twitch/chat/internal/PackedText.h"
#include "twitch/chat/internal/UUIDText.h"

#include <cstring>

namespace parley::textpacking {

namespace {

qsizetype headSize(const Header& header)
{
    return sizeof(Header) + (header.has(Header::idIsUUID) ? sizeof(uuidtext::Bytes) : 0);
}

} // namespace

void Header::setColor(const TwitchColor& value)
{
    const auto byte = [](double channel) {
        const double scaled = channel * 255 + 0.5;
        return std::uint8_t(scaled <= 0 ? 0 : scaled >= 255 ? 255 : int(scaled));
    };
    set(hasColor, true);
    color = { byte(value.red), byte(value.green), byte(value.blue) };
}

QByteArray pack(Header header, const std::optional<TwitchChatMessageReply>& reply, Texts texts)
{
    const std::optional<uuidtext::Bytes> uuid = uuidtext::bytesOf(texts.id);
    header.set(Header::idIsUUID, uuid.has_value());
    header.set(Header::hasReply, reply.has_value());
    header.set(Header::hasReplyDisplayName, reply && reply->parentMessageDisplayName);
    std::array<char, sizeof(Header) + sizeof(uuidtext::Bytes)> head;
    std::memcpy(head.data(), &header, sizeof(Header));
    if (uuid) {
        std::memcpy(head.data() + sizeof(Header), uuid->data(), uuid->size());
        texts.id = {};
    }
    const QByteArrayView headBytes(head.data(), headSize(header));
    const auto& [body, id, displayName, userID, badges, emotes, emoteSets, badgeInfo] = texts;
    if (!reply)
        return packedtext::pack(headBytes, { body, id, displayName, userID, badges, emotes, emoteSets, badgeInfo });
    return packedtext::pack(headBytes,
        { body, id, displayName, userID, badges, emotes, emoteSets, badgeInfo, reply->parentMessageID, reply->parentMessageUserID,
            reply->parentMessageLogin, reply->parentMessageDisplayName.value_or(QString()), reply->parentMessageBody });
}

Header readHeader(const QByteArray& packed)
{
    Header header;
    if (packed.size() >= qsizetype(sizeof(Header)))
        std::memcpy(&header, packed.constData(), sizeof(Header));
    return header;
}

// Writing through data() detaches a block another copy shares, so copies
// keep their own state.
void writeHeader(QByteArray& packed, const Header& header)
{
    if (packed.isEmpty())
        packed = pack({}, std::nullopt, {});
    std::memcpy(packed.data(), &header, sizeof(Header));
}

QByteArrayView uuidOf(const QByteArray& packed)
{
    return QByteArrayView(packed).sliced(sizeof(Header), sizeof(uuidtext::Bytes));
}

QByteArrayView textOf(const QByteArray& packed, Text text)
{
    if (packed.isEmpty())
        return {};
    return packedtext::at(QByteArrayView(packed).sliced(headSize(readHeader(packed))), text);
}

QString stringOf(const QByteArray& packed, Text text)
{
    return QString::fromUtf8(textOf(packed, text));
}

} // namespace parley::textpacking
