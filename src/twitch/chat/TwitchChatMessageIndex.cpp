#include "twitch/chat/TwitchChatMessageIndex.h"

namespace parley {

void TwitchChatMessageIndex::append(const TwitchChatMessage& message)
{
    const qint64 serial = nextSerial_++;
    const TwitchChatTextMessage* text = message.text();
    if (!text)
        return;
    byMessageID_.insert(text->id, serial);
    if (!text->userID.isEmpty())
        byUserID_[text->userID].append(serial);
}

void TwitchChatMessageIndex::dropFront(const QList<TwitchChatMessage>& messages, qsizetype count)
{
    for (qsizetype index = 0; index < count; ++index) {
        const TwitchChatTextMessage* text = messages.at(index).text();
        if (!text)
            continue;
        const qint64 serial = firstSerial_ + index;
        // A newer message with the same id keeps its entry.
        if (const auto found = byMessageID_.constFind(text->id);
            found != byMessageID_.cend() && found.value() == serial)
            byMessageID_.erase(found);
        if (text->userID.isEmpty())
            continue;
        const auto user = byUserID_.find(text->userID);
        if (user == byUserID_.end())
            continue;
        // The oldest entries go first, so the sender's first is this one.
        if (!user->isEmpty() && user->constFirst() == serial)
            user->removeFirst();
        if (user->isEmpty())
            byUserID_.erase(user);
    }
    firstSerial_ += count;
}

std::optional<qsizetype> TwitchChatMessageIndex::positionOfMessage(const QString& id) const
{
    const auto found = byMessageID_.constFind(id);
    if (found == byMessageID_.cend())
        return std::nullopt;
    return qsizetype(found.value() - firstSerial_);
}

QList<qsizetype> TwitchChatMessageIndex::positionsOfUser(const QString& userID) const
{
    QList<qsizetype> positions;
    const auto found = byUserID_.constFind(userID);
    if (found == byUserID_.cend())
        return positions;
    positions.reserve(found->size());
    for (const qint64 serial : *found)
        positions.append(qsizetype(serial - firstSerial_));
    return positions;
}

} // namespace parley
