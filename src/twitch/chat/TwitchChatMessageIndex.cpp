#include "twitch/chat/TwitchChatMessageIndex.h"

#include "twitch/chat/internal/SlidingList.h"

namespace parley {

namespace {

// Seeded per process, so a server cannot choose ids that collide; a
// collision only makes a lookup check a message it then rejects.
quint32 keyOf(QByteArrayView text)
{
    return quint32(qHash(text, QHashSeed::globalSeed()));
}

// Removes `key` when it still names `serial`: a newer message with the same
// key keeps its entry.
void removeIfAt(QHash<quint32, quint32>& hash, quint32 key, quint32 serial)
{
    if (const auto found = hash.constFind(key); found != hash.cend() && found.value() == serial)
        hash.erase(found);
}

} // namespace

void TwitchChatMessageIndex::appendLast()
{
    append(messages_.constLast());
}

void TwitchChatMessageIndex::rebuild()
{
    firstSerial_ = 0;
    byMessageID_.clear();
    lastByUserID_.clear();
    previousByUser_.clear();
    for (const TwitchChatMessage& message : messages_)
        append(message);
    keepSlidingRoom(previousByUser_);
}

void TwitchChatMessageIndex::append(const TwitchChatMessage& message)
{
    const Serial serial = firstSerial_ + Serial(previousByUser_.size());
    const TwitchChatTextMessage* text = message.text();
    const QByteArrayView userID = text ? text->packedUserID() : QByteArrayView();
    if (text)
        byMessageID_.insert(keyOf(text->packedID()), serial);
    if (userID.isEmpty()) {
        previousByUser_.append(serial);
        return;
    }
    const auto last = lastByUserID_.find(keyOf(userID));
    if (last == lastByUserID_.end()) {
        previousByUser_.append(serial);
        lastByUserID_.insert(keyOf(userID), serial);
        return;
    }
    previousByUser_.append(last.value());
    last.value() = serial;
}

void TwitchChatMessageIndex::dropFront(qsizetype count)
{
    for (qsizetype position = 0; position < count; ++position) {
        const TwitchChatTextMessage* text = messages_.at(position).text();
        if (!text)
            continue;
        const Serial serial = firstSerial_ + Serial(position);
        removeIfAt(byMessageID_, keyOf(text->packedID()), serial);
        if (const QByteArrayView userID = text->packedUserID(); !userID.isEmpty())
            removeIfAt(lastByUserID_, keyOf(userID), serial);
    }
    previousByUser_.remove(0, count);
    keepSlidingRoom(previousByUser_);
    firstSerial_ += Serial(count);
}

// A serial below the first (a dropped message's, still named as a sender's
// previous) wraps to an offset past the list's end.
std::optional<qsizetype> TwitchChatMessageIndex::positionOf(Serial serial) const
{
    const Serial offset = serial - firstSerial_;
    if (offset >= Serial(previousByUser_.size()))
        return std::nullopt;
    return qsizetype(offset);
}

std::optional<qsizetype> TwitchChatMessageIndex::positionOfMessage(const QString& id) const
{
    const auto found = byMessageID_.constFind(keyOf(TwitchChatTextMessage::packedID(id)));
    if (found == byMessageID_.cend())
        return std::nullopt;
    const std::optional<qsizetype> position = positionOf(found.value());
    const TwitchChatTextMessage* text = position ? messages_.at(*position).text() : nullptr;
    if (!text || text->id() != id)
        return std::nullopt;
    return position;
}

QList<qsizetype> TwitchChatMessageIndex::positionsOfUser(const QString& userID) const
{
    QList<qsizetype> positions;
    const QByteArray wanted = userID.toUtf8();
    const auto last = lastByUserID_.constFind(keyOf(wanted));
    if (wanted.isEmpty() || last == lastByUserID_.cend())
        return positions;
    // Each step goes to an older entry; the walk ends at one without a
    // predecessor or at the front of the list.
    for (std::optional<qsizetype> position = positionOf(last.value()); position;) {
        if (messages_.at(*position).text()->packedUserID() == wanted)
            positions.prepend(*position);
        const std::optional<qsizetype> previous = positionOf(previousByUser_.at(*position));
        position = previous && *previous < *position ? previous : std::nullopt;
    }
    return positions;
}

} // namespace parley
