#include "twitch/chat/TwitchBadge.h"

#include "twitch/WireText.h"

#include <bit>

namespace parley {

TwitchBadges TwitchBadges::fromTagValue(QStringView value)
{
    TwitchBadges badges;
    for (QStringView piece : value.tokenize(u',', Qt::SkipEmptyParts)) {
        std::array<QStringView, 2> parts;
        std::size_t count = 0;
        for (QStringView part : piece.tokenize(u'/', Qt::SkipEmptyParts))
            if (count++ < parts.size())
                parts[count - 1] = part;
        if (count != parts.size())
            continue;
        if (const auto badge = fromRawValue<TwitchBadge>(parts[0]))
            badges.insert(*badge, wire::readInt64(parts[1]).value_or(0));
    }
    return badges;
}

std::optional<qint64> TwitchBadges::value(TwitchBadge badge) const
{
    const auto index = static_cast<std::size_t>(badge);
    if (!(present_ & (1u << index)))
        return std::nullopt;
    return numbers_[index];
}

void TwitchBadges::insert(TwitchBadge badge, qint64 number)
{
    const auto index = static_cast<std::size_t>(badge);
    numbers_[index] = number;
    present_ |= std::uint8_t(1u << index);
}

int TwitchBadges::size() const
{
    return std::popcount(present_);
}

size_t qHash(const TwitchBadges& badges, size_t seed) noexcept
{
    badges.forEach([&](TwitchBadge badge, qint64 number) { seed = qHashMulti(seed, static_cast<int>(badge), number); });
    return seed;
}

} // namespace parley
