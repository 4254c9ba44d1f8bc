#include "twitch/chat/internal/TwitchChatHistory.h"

#include "twitch/chat/internal/SlidingList.h"

#include <QSet>

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

QList<qsizetype> TwitchChatHistory::markDeleted(const QList<TwitchChatMessage>& recent)
{
    QList<qsizetype> positions;
    for (const TwitchChatMessage& message : recent) {
        const TwitchChatTextMessage* text = message.text();
        if (!text || !text->isDeleted())
            continue;
        if (const std::optional<qsizetype> position = index_.positionOfMessage(text->id()))
            positions.append(*position);
    }
    std::sort(positions.begin(), positions.end());
    return markDeleted(positions);
}

TwitchChatHistory::Insertion TwitchChatHistory::insert(qsizetype position, const QList<TwitchChatMessage>& recent)
{
    QList<TwitchChatMessage> added = unshown(position, recent);
    if (added.isEmpty())
        return { 0, position, 0 };
    const qsizetype excess = std::max<qsizetype>(0, messages_.size() + added.size() - capacity_);
    const qsizetype dropped = std::min(excess, position);
    added.remove(0, excess - dropped);
    QList<TwitchChatMessage> merged;
    merged.reserve(messages_.size() - dropped + added.size());
    merged.append(messages_.sliced(dropped, position - dropped));
    merged.append(added);
    merged.append(messages_.sliced(position));
    messages_ = std::move(merged);
    keepSlidingRoom(messages_);
    index_.rebuild();
    return { dropped, position - dropped, added.size() };
}

QList<TwitchChatMessage> TwitchChatHistory::unshown(qsizetype position, const QList<TwitchChatMessage>& recent) const
{
    QSet<QString> shownBefore;
    QSet<QString> shownSince;
    for (qsizetype shown = 0; shown < messages_.size(); ++shown)
        if (QString id = messages_.at(shown).id(); !id.isEmpty())
            (shown < position ? shownBefore : shownSince).insert(std::move(id));
    qsizetype from = recent.size();
    while (from > 0 && !shownBefore.contains(recent.at(from - 1).id()))
        --from;
    QList<TwitchChatMessage> result;
    for (const TwitchChatMessage& message : recent.sliced(from)) {
        const QString id = message.id();
        if (id.isEmpty() || !(shownBefore.contains(id) || shownSince.contains(id)))
            result.append(message);
    }
    return result;
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
