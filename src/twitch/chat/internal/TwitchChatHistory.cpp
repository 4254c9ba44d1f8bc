#include "twitch/chat/internal/TwitchChatHistory.h"

#include "twitch/chat/internal/SlidingList.h"

namespace parley {

qsizetype TwitchChatHistory::makeRoom()
{
    if (messages_.size() < capacity_)
        return 0;
    const qsizetype dropped = messages_.size() - capacity_ + 1;
    index_.dropFront(dropped);
    messages_.remove(0, dropped);
    keepSlidingRoom(messages_);
    return dropped;
}

const TwitchChatMessage& TwitchChatHistory::append(TwitchChatMessage message)
{
    messages_.append(std::move(message));
    index_.appendLast();
    return messages_.constLast();
}

QList<qsizetype> TwitchChatHistory::markDeleted(const TwitchChatClear& clear)
{
    switch (clear.kind) {
    case TwitchChatClear::Kind::message:
        if (const std::optional<qsizetype> position = index_.positionOfMessage(clear.targetMessageID))
            return markDeleted(QList<qsizetype> { *position });
        return {};
    case TwitchChatClear::Kind::user:
        if (clear.targetUserID.isEmpty())
            return {};
        return markDeleted(index_.positionsOfUser(clear.targetUserID));
    case TwitchChatClear::Kind::chat:
        break;
    }
    return {};
}

QList<qsizetype> TwitchChatHistory::markDeleted(const QList<qsizetype>& positions)
{
    QList<qsizetype> changed;
    for (auto position = positions.crbegin(); position != positions.crend(); ++position) {
        TwitchChatTextMessage* text = messages_[*position].text();
        if (!text || text->isDeleted())
            continue;
        text->setDeleted(true);
        changed.append(*position);
    }
    return changed;
}

} // namespace parley
