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
// Keys are views into the listed messages' packed text, so the index copies
// no text: an entry always names a message that is still in the list.
class TwitchChatMessageIndex {
public:
    // `message` became the list's last entry.
    void append(const TwitchChatMessage& message);
    // The list's first `count` entries, `messages`, are about to be removed.
    void dropFront(const QList<TwitchChatMessage>& messages, qsizetype count);

    // The position of the text message with `id`, if it is in the list.
    std::optional<qsizetype> positionOfMessage(const QString& id) const;
    // The positions of `userID`'s text messages, oldest first.
    QList<qsizetype> positionsOfUser(const QString& userID) const;

private:
    // Entries are numbered from the first ever appended, so dropping the
    // oldest moves no number.
    qint64 firstSerial_ = 0;
    QHash<QByteArrayView, qint64> byMessageID_;
    QHash<QByteArrayView, qint64> lastByUserID_;
    // For each entry of the list, the serial of the same sender's message
    // before it, or -1.
    QList<qint64> previousByUser_;
};

} // namespace parley
