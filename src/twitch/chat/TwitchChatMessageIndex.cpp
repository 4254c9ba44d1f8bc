#include "twitch/chat/TwitchChatMessageIndex.h"

namespace parley {

namespace {

// Points `key` at `serial`, keyed by the newer message's own bytes so the
// key outlives the older message.
void replace(QHash<QByteArrayView, qint64>& hash, QByteArrayView key, qint64 serial)
{
    hash.remove(key);
    hash.insert(key, serial);
}

// Removes `key` when it still names `serial`: a newer message keeps its entry.
void removeIfAt(QHash<QByteArrayView, qint64>& hash, QByteArrayView key, qint64 serial)
{
    if (const auto found = hash.constFind(key); found != hash.cend() && found.value() == serial)
        hash.erase(found);
}

} // namespace

void TwitchChatMessageIndex::append(const TwitchChatMessage& message)
{
    const qint64 serial = firstSerial_ + previousByUser_.size();
    const TwitchChatTextMessage* text = message.text();
    if (!text) {
        previousByUser_.append(-1);
        return;
    }
    replace(byMessageID_, text->packedID(), serial);
    const QByteArrayView userID = text->packedUserID();
    if (userID.isEmpty()) {
        previousByUser_.append(-1);
        return;
    }
    previousByUser_.append(lastByUserID_.value(userID, -1));
    replace(lastByUserID_, userID, serial);
}

void TwitchChatMessageIndex::dropFront(const QList<TwitchChatMessage>& messages, qsizetype count)
{
    for (qsizetype index = 0; index < count; ++index) {
        const TwitchChatTextMessage* text = messages.at(index).text();
        if (!text)
            continue;
        const qint64 serial = firstSerial_ + index;
        removeIfAt(byMessageID_, text->packedID(), serial);
        removeIfAt(lastByUserID_, text->packedUserID(), serial);
    }
    previousByUser_.remove(0, count);
    firstSerial_ += count;
}

std::optional<qsizetype> TwitchChatMessageIndex::positionOfMessage(const QString& id) const
{
    const auto found = byMessageID_.constFind(id.toUtf8());
    if (found == byMessageID_.cend())
        return std::nullopt;
    return qsizetype(found.value() - firstSerial_);
}

QList<qsizetype> TwitchChatMessageIndex::positionsOfUser(const QString& userID) const
{
    QList<qsizetype> positions;
    if (userID.isEmpty())
        return positions;
    for (qint64 serial = lastByUserID_.value(userID.toUtf8(), -1); serial >= firstSerial_;
         serial = previousByUser_.at(serial - firstSerial_))
        positions.prepend(qsizetype(serial - firstSerial_));
    return positions;
}

} // namespace parley
