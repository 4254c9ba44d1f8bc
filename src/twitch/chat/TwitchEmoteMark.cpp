#include "twitch/chat/TwitchEmoteMark.h"

#include "twitch/WireText.h"

namespace parley {

namespace {

// "3-4" gives (3, 4). A range gives a mark only when it leaves exactly two
// readable numbers: "3-", "x-4" and "3-4-5" do not.
std::optional<std::pair<qint64, qint64>> readRange(QStringView range)
{
    const auto parts = wire::splitOnce(range, u'-');
    if (!parts)
        return std::nullopt;
    const auto begin = wire::readInt64(parts->first);
    const auto end = wire::readInt64(parts->second);
    if (!begin || !end)
        return std::nullopt;
    return std::pair { *begin, *end };
}

} // namespace

QList<TwitchEmoteMark> TwitchEmoteMark::listFromTagValue(QStringView value)
{
    QList<TwitchEmoteMark> marks;
    for (QStringView emote : value.tokenize(u'/', Qt::SkipEmptyParts)) {
        const auto parts = wire::splitOnce(emote, u':');
        if (!parts)
            continue;
        const QString emoteID = parts->first.toString();
        for (QStringView range : parts->second.tokenize(u',', Qt::SkipEmptyParts))
            if (const auto positions = readRange(range))
                marks.append({ emoteID, positions->first, positions->second });
    }
    return marks;
}

size_t qHash(const TwitchEmoteMark& mark, size_t seed) noexcept
{
    return qHashMulti(seed, mark.emoteID, mark.begin, mark.end);
}

} // namespace parley
