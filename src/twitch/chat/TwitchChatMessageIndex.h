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
// A long stream keeps this next to every stored message, so it is small:
// entries are keyed by a seeded 32-bit hash of the id and of the sender, and
// a hit is checked against the list.
class TwitchChatMessageIndex {
public:
    explicit TwitchChatMessageIndex(const QList<TwitchChatMessage>& messages) : messages_(messages) { }

    // The list's last entry is new.
    void appendLast();
    // Entries went in elsewhere than at the back: indexes the whole list anew.
    void rebuild();
    // The list's first `count` entries are about to be removed.
    void dropFront(qsizetype count);

    // The position of the text message with `id`, if it is in the list.
    std::optional<qsizetype> positionOfMessage(const QString& id) const;
    // The positions of `userID`'s text messages, oldest first.
    QList<qsizetype> positionsOfUser(const QString& userID) const;

private:
    // Entries are numbered from the first ever appended, modulo 2^32, so
    // dropping the oldest moves no number.
    using Serial = quint32;

    std::optional<qsizetype> positionOf(Serial serial) const;
    void append(const TwitchChatMessage& message);

    const QList<TwitchChatMessage>& messages_;
    Serial firstSerial_ = 0;
    QHash<quint32, Serial> byMessageID_;
    QHash<quint32, Serial> lastByUserID_;
    // For each entry of the list, the serial of the message before it from a
    // sender with the same key, or its own serial when there is none.
    QList<Serial> previousByUser_;
};

} // namespace parley
