#pragma once

#include "twitch/chat/TwitchChatMessage.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace parley {

// Where the text messages of the chat's list are, by message id and by
// sender, so a moderator's deletion finds its targets without scanning the
// whole list. Follows the list as it grows at the back and loses its oldest
// entries at the front. When two messages share an id, the newer one is found.
//
// Entries are keyed by a seeded hash of the id and are checked against the
// list when found, so the index copies no text. Entries of dropped messages
// are swept in batches rather than one by one, which keeps a busy chat's
// per-message cost at two hash updates.
class TwitchChatMessageIndex {
public:
    // The most entries of dropped messages kept before a sweep.
    static constexpr qsizetype sweepInterval = 4096;

    explicit TwitchChatMessageIndex(const QList<TwitchChatMessage>& messages) : messages_(messages) { }

    // The list's last entry is new.
    void appendLast();
    // The list's first `count` entries were removed.
    void dropFront(qsizetype count);

    // The position of the text message with `id`, if it is in the list.
    std::optional<qsizetype> positionOfMessage(const QString& id) const;
    // The positions of `userID`'s text messages, oldest first.
    QList<qsizetype> positionsOfUser(const QString& userID) const;

private:
    const TwitchChatTextMessage* textAt(qint64 serial) const;
    void sweep();

    const QList<TwitchChatMessage>& messages_;
    // Entries are numbered from the first ever appended, so dropping the
    // oldest moves no number.
    qint64 firstSerial_ = 0;
    qsizetype droppedSinceSweep_ = 0;
    QHash<size_t, qint64> byMessageID_;
    QHash<size_t, qint64> lastByUserID_;
    // For each entry of the list, the serial of the message before it from a
    // sender with the same key, or -1.
    QList<qint64> previousByUser_;
};

} // namespace parley
