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
    QString body;
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

    // A PRIVMSG with an "id", a known "user-type" (or none) and a readable
    // "tmi-sent-ts" gives a message; any other line none.
    static std::optional<TwitchChatTextMessage> fromLine(const TwitchChatIRCMessage& line);

    // One's own message, confirmed by `userState` (a USERSTATE carrying the
    // message id): text and time come from `pending`, the rest from the line;
    // `login` is the name shown when the line has no display name.
    static TwitchChatTextMessage fromConfirmation(const TwitchChatIRCMessage& userState,
                                                  const PendingMessage& pending, const QString& login);

    bool operator==(const TwitchChatTextMessage&) const = default;
};

size_t qHash(const TwitchChatTextMessage& message, size_t seed = 0) noexcept;

} // namespace parley
