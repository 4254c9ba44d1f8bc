#include "twitch/chat/TwitchChatBadge.h"

#include "twitch/WireText.h"

#include <algorithm>

namespace parley {
namespace {

// "set/version" split at its one "/"; nullopt for any other piece.
std::optional<std::pair<QStringView, QStringView>> splitPiece(QStringView piece)
{
    const qsizetype slash = piece.indexOf(u'/');
    if (slash <= 0 || slash == piece.size() - 1 || piece.indexOf(u'/', slash + 1) >= 0)
        return std::nullopt;
    return std::pair { piece.first(slash), piece.sliced(slash + 1) };
}

} // namespace

QList<TwitchChatBadge> TwitchChatBadge::listFromTags(QStringView badges, QStringView badgeInfo)
{
    QList<TwitchChatBadge> list;
    for (QStringView piece : badges.tokenize(u',', Qt::SkipEmptyParts)) {
        const auto parts = splitPiece(piece);
        if (!parts || std::ranges::any_of(list, [&](const TwitchChatBadge& badge) { return badge.setID == parts->first; }))
            continue;
        list.append({ parts->first.toString(), parts->second.toString(), {} });
    }
    for (QStringView piece : badgeInfo.tokenize(u',', Qt::SkipEmptyParts)) {
        const auto parts = splitPiece(piece);
        if (!parts)
            continue;
        const auto badge = std::ranges::find(list, parts->first, &TwitchChatBadge::setID);
        if (badge != list.end())
            badge->info = wire::unescapeTagValue(parts->second);
    }
    return list;
}

std::optional<int> TwitchChatBadge::months() const
{
    if (setID != QLatin1String("subscriber") && setID != QLatin1String("founder"))
        return std::nullopt;
    bool ok = false;
    const int value = info.toInt(&ok);
    if (!ok || value <= 0)
        return std::nullopt;
    return value;
}

} // namespace parley
