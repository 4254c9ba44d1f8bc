#pragma once

#include "twitch/chat/TwitchChatMessageReply.h"
#include "twitch/chat/TwitchColor.h"
#include "twitch/chat/TwitchUserType.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

// The packed form of a chat text message: a fixed header, the id's 16 bytes
// when it is a UUID, then the texts one after another.
namespace parley::textpacking {

// The fixed fields at the start of the packed block.
struct Header {
    enum Flag : std::uint16_t {
        hasColor = 1 << 0,
        isModerator = 1 << 1,
        isSubscriber = 1 << 2,
        isBroadcaster = 1 << 3,
        turbo = 1 << 4,
        isAction = 1 << 5,
        hasReply = 1 << 6,
        hasReplyDisplayName = 1 << 7,
        idIsUUID = 1 << 8, // the id's 16 bytes follow the header
        isDeleted = 1 << 9,
        isFirstMessage = 1 << 10,
        isHistorical = 1 << 11,
    };

    qint64 sentAtMicroseconds = 0;
    std::array<std::uint8_t, 3> color {};
    TwitchUserType userType = TwitchUserType::normal;
    std::uint16_t flags = 0;

    bool has(Flag flag) const { return flags & flag; }
    void set(Flag flag, bool on)
    {
        if (on)
            flags |= flag;
        else
            flags &= ~flag;
    }
    void setColor(const TwitchColor& color);
};

// The texts after the header, in this order; the reply's only when it has one.
enum Text : int {
    body,
    id,
    displayName,
    userID,
    badges,
    emotes,
    emoteSets,
    badgeInfo,
    replyID,
    replyUserID,
    replyLogin,
    replyDisplayName,
    replyBody,
};

// The message's own texts, as they go into the block (badges, emotes and
// emote sets in their tag form).
struct Texts {
    QStringView body;
    QStringView id;
    QStringView displayName;
    QStringView userID;
    QStringView badges;
    QStringView emotes;
    QStringView emoteSets;
    QStringView badgeInfo;
};

QByteArray pack(Header header, const std::optional<TwitchChatMessageReply>& reply, Texts texts);

Header readHeader(const QByteArray& packed);
// Rewrites the header in place; an empty block first becomes an empty message.
void writeHeader(QByteArray& packed, const Header& header);
QByteArrayView uuidOf(const QByteArray& packed);
QByteArrayView textOf(const QByteArray& packed, Text text);
QString stringOf(const QByteArray& packed, Text text);

} // namespace parley::textpacking
