#pragma once

#include "twitch/Instant.h"
#include "twitch/chat/PendingMessage.h"
#include "twitch/chat/TwitchBadge.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatMessageReply.h"
#include "twitch/chat/TwitchColor.h"
#include "twitch/chat/TwitchEmoteMark.h"
#include "twitch/chat/TwitchUserType.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace parley {

// One chat message as the views draw it: received (PRIVMSG) or one's own,
// confirmed by the service.
struct TwitchChatTextMessage {
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

    bool operator==(const TwitchChatTextMessage&) const = default;
};

size_t qHash(const TwitchChatTextMessage& message, size_t seed = 0) noexcept;

} // namespace parley
