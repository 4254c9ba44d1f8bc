#include "twitch/chat/TwitchChatMessageIndex.h"

namespace parley {

namespace {

// Seeded per process, so a server cannot choose ids that collide; a
// collision would only make a lookup check one more message.
size_t keyOf(QByteArrayView text)
{
    return qHash(text, QHashSeed::globalSeed());
}

} // namespace

void TwitchChatMessageIndex::appendLast()
{
    const qint64 serial = firstSerial_ + previousByUser_.size();
    const TwitchChatTextMessage* text = messages_.constLast().text();
    const QByteArrayView userID = text ? text->packedUserID() : QByteArrayView();
    if (text)
        byMessageID_.insert(keyOf(text->packedID()), serial);
    if (userID.isEmpty()) {
        previousByUser_.append(-1);
        return;
    }
    const auto last = lastByUserID_.find(keyOf(userID));
    if (last == lastByUserID_.end()) {
        previousByUser_.append(-1);
        lastByUserID_.insert(keyOf(userID), serial);
        return;
    }
    previousByUser_.append(last.value());
    last.value() = serial;
}

void TwitchChatMessageIndex::dropFront(qsizetype count)
{
    previousByUser_.remove(0, count);
    firstSerial_ += count;
    droppedSinceSweep_ += count;
    if (droppedSinceSweep_ >= sweepInterval)
        sweep();
}

void TwitchChatMessageIndex::sweep()
{
    const auto dropped = [this](const auto& entry) { return entry.value() < firstSerial_; };
    byMessageID_.removeIf(dropped);
    lastByUserID_.removeIf(dropped);
    droppedSinceSweep_ = 0;
}

const TwitchChatTextMessage* TwitchChatMessageIndex::textAt(qint64 serial) const
{
    if (serial < firstSerial_ || serial - firstSerial_ >= messages_.size())
        return nullptr;
    return messages_.at(serial - firstSerial_).text();
}

std::optional<qsizetype> TwitchChatMessageIndex::positionOfMessage(const QString& id) const
{
    const QByteArray wanted = id.toUtf8();
    const qint64 serial = byMessageID_.value(keyOf(wanted), -1);
    const TwitchChatTextMessage* text = textAt(serial);
    if (!text || text->packedID() != wanted)
        return std::nullopt;
    return qsizetype(serial - firstSerial_);
}

QList<qsizetype> TwitchChatMessageIndex::positionsOfUser(const QString& userID) const
{
    QList<qsizetype> positions;
    const QByteArray wanted = userID.toUtf8();
    if (wanted.isEmpty())
        return positions;
    for (qint64 serial = lastByUserID_.value(keyOf(wanted), -1); serial >= firstSerial_;
         serial = previousByUser_.at(serial - firstSerial_)) {
        if (const TwitchChatTextMessage* text = textAt(serial); text && text->packedUserID() == wanted)
            positions.prepend(qsizetype(serial - firstSerial_));
    }
    return positions;
}

} // namespace parley
