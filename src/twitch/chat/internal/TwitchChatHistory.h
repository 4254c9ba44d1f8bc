#pragma once

#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/TwitchChatMessage.h"
#include "twitch/chat/TwitchChatMessageIndex.h"

#include <QList>

namespace parley {

// The chat client's list of messages, bounded at `capacity`, with the index
// that finds a moderator's targets. Emits nothing: each change returns what
// it did, and the client announces it once.
class TwitchChatHistory {
public:
    explicit TwitchChatHistory(qsizetype capacity) : capacity_(capacity) { }

    const QList<TwitchChatMessage>& messages() const { return messages_; }

    // Drops the oldest messages so one more fits; returns how many went.
    qsizetype makeRoom();
    // Appends `message`, which must fit; returns the stored copy.
    const TwitchChatMessage& append(TwitchChatMessage message);
    // Marks the text messages that `clear` removes deleted; returns the
    // positions that changed, newest first. A clear of the whole chat marks
    // nothing (it only gets its system line).
    QList<qsizetype> markDeleted(const TwitchChatClear& clear);

private:
    QList<qsizetype> markDeleted(const QList<qsizetype>& positions);

    const qsizetype capacity_;
    QList<TwitchChatMessage> messages_;
    TwitchChatMessageIndex index_ { messages_ };
};

} // namespace parley
