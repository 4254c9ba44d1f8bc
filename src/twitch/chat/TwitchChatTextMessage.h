#pragma once

#include "twitch/Instant.h"
#include "twitch/chat/PendingMessage.h"
#include "twitch/chat/TwitchBadge.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatMessageReply.h"
#include "twitch/chat/TwitchColor.h"
#include "twitch/chat/TwitchEmoteMark.h"
#include "twitch/chat/TwitchUserType.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace parley {

// One chat message as the views draw it: received (PRIVMSG) or one's own,
// confirmed by the service.
//
// A long stream keeps thousands of these, so a message is stored packed: one
// shared block of UTF-8 text and a few bytes of fixed fields, read back
// through the accessors. Badges and emotes stay in their tag form until asked
// for; a colour keeps the 8 bits per channel the wire has.
class TwitchChatTextMessage {
public:
    // The message unpacked, for building one field by field.
    struct Fields {
        QString body; // for an action ("/me waves"), the text alone ("waves")
        TwitchBadges badges;
        QList<TwitchEmoteMark> emotes; // in the order of the "emotes" tag
        QStringList emoteSets;
        std::optional<TwitchColor> color;
        QString id;
        bool isModerator = false;
        bool isSubscriber = false;
        bool isBroadcaster = false;
        QString displayName;
        TwitchUserType userType = TwitchUserType::normal;
        bool turbo = false;
        std::optional<TwitchChatMessageReply> reply;
        Instant sentAt;
        QString userID; // the sender's "user-id"; empty for one's own messages
        bool isAction = false; // written as "/me text": shown as the sender's action
        bool isDeleted = false; // removed by a moderator: shown as deleted, kept in place
        QString badgeInfo; // the "badge-info" tag as sent (a subscriber's exact months)
        bool isFirstMessage = false; // the sender's first message in this channel ever ("first-msg")
        bool isHistorical = false; // sent before this client joined, loaded from the recent history

        bool operator==(const Fields&) const = default;
    };

    TwitchChatTextMessage();
    explicit TwitchChatTextMessage(const Fields& fields);

    // A PRIVMSG with an "id" and a readable "tmi-sent-ts" gives a message;
    // any other line none. An unknown "user-type" reads as normal.
    static std::optional<TwitchChatTextMessage> fromLine(const TwitchChatIRCMessage& line);
    // The same for any command: the sender's message a line carries (a
    // PRIVMSG, or the user's own words in a USERNOTICE).
    static std::optional<TwitchChatTextMessage> fromSenderLine(const TwitchChatIRCMessage& line);

    // One's own message, confirmed by `userState` (a USERSTATE carrying the
    // message id): text and time come from `pending` ("/me text" becomes the
    // action "text"), the rest from the line; `login` is the name shown when
    // the line has no display name.
    static TwitchChatTextMessage fromConfirmation(
        const TwitchChatIRCMessage& userState, const PendingMessage& pending, const QString& login);

    Fields fields() const;

    QString body() const;
    TwitchBadges badges() const;
    // The "badges" tag as received, every badge in the order the service
    // shows them (a message built from fields: the known badges only).
    QString badgeTag() const;
    QString badgeInfo() const;
    QList<TwitchEmoteMark> emotes() const;
    QStringList emoteSets() const;
    std::optional<TwitchColor> color() const;
    QString id() const;
    bool isModerator() const;
    bool isSubscriber() const;
    bool isBroadcaster() const;
    QString displayName() const;
    TwitchUserType userType() const;
    bool turbo() const;
    std::optional<TwitchChatMessageReply> reply() const;
    Instant sentAt() const;
    QString userID() const;
    bool isAction() const;
    bool isDeleted() const;
    bool isFirstMessage() const;
    bool isHistorical() const;
    void setDeleted(bool deleted);
    void setHistorical(bool historical);

    // The id and the sender's user id as stored, for indexes: without
    // unpacking, valid while this message or a copy of it lives. A UUID id
    // is stored as its 16 bytes, other ids and user ids as UTF-8.
    QByteArrayView packedID() const;
    QByteArrayView packedUserID() const;
    // The stored form of `id`, as packedID() gives it for a message with it.
    static QByteArray packedID(QStringView id);

    bool operator==(const TwitchChatTextMessage& other) const { return fields() == other.fields(); }

private:
    explicit TwitchChatTextMessage(QByteArray packed) : packed_(std::move(packed)) { }

    QByteArray packed_;
};

size_t qHash(const TwitchChatTextMessage& message, size_t seed = 0) noexcept;

} // namespace parley
