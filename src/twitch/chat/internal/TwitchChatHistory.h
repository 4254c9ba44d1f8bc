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
    // Where recent messages went: the `dropped` oldest messages made room,
    // then `count` messages went in at `position`.
    struct Insertion {
        qsizetype dropped = 0;
        qsizetype position = 0;
        qsizetype count = 0;
    };

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
    // Marks the shown text messages that `recent` holds deleted as deleted
    // too; returns the positions that changed, newest first.
    QList<qsizetype> markDeleted(const QList<TwitchChatMessage>& recent);
    // Puts the messages of `recent` (oldest first) that are not shown yet
    // before the message at `position`, in their order. The list before
    // `position` already goes on from the newest of them it shows, so
    // nothing up to that one goes in. The oldest messages make room.
    Insertion insert(qsizetype position, const QList<TwitchChatMessage>& recent);

private:
    QList<qsizetype> markDeleted(const QList<qsizetype>& positions);
    QList<TwitchChatMessage> unshown(qsizetype position, const QList<TwitchChatMessage>& recent) const;

    const qsizetype capacity_;
    QList<TwitchChatMessage> messages_;
    TwitchChatMessageIndex index_ { messages_ };
};

} // namespace parley
