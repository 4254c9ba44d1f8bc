#pragma once

#include "platform/RawValue.h"

#include <QHashFunctions>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace parley {

// The chat badges Parley knows; the wire name is the raw value. Other badge
// names (vip, premium, ...) are skipped when badges are read.
enum class TwitchBadge : std::uint8_t {
    admin,
    bits,
    broadcaster,
    moderator,
    subscriber,
    staff,
    turbo,
};

template <>
struct RawValues<TwitchBadge> {
    static constexpr std::array<std::pair<TwitchBadge, QStringView>, 7> table { {
        { TwitchBadge::admin, u"admin" },
        { TwitchBadge::bits, u"bits" },
        { TwitchBadge::broadcaster, u"broadcaster" },
        { TwitchBadge::moderator, u"moderator" },
        { TwitchBadge::subscriber, u"subscriber" },
        { TwitchBadge::staff, u"staff" },
        { TwitchBadge::turbo, u"turbo" },
    } };
};

// A dictionary from TwitchBadge to the badge's version number, stored flat.
class TwitchBadges {
public:
    static constexpr int badgeCount = int(RawValues<TwitchBadge>::table.size());

    // Reads a "badges" tag value: "name/number" pieces separated by ",".
    // Pieces that are not exactly two parts, and unknown names, are skipped;
    // a number that does not read counts as 0; a repeated badge replaces the
    // earlier number.
    static TwitchBadges fromTagValue(QStringView value);

    std::optional<qint64> value(TwitchBadge badge) const;
    void insert(TwitchBadge badge, qint64 number);
    // Whether the badge is held with a number greater than 0.
    bool isPositive(TwitchBadge badge) const { return value(badge).value_or(0) > 0; }
    bool isEmpty() const { return present_ == 0; }
    int size() const;

    // Calls f(badge, number) for every badge held, in the order of TwitchBadge.
    template <typename F>
    void forEach(F&& f) const
    {
        for (int i = 0; i < badgeCount; ++i)
            if (present_ & (1u << i))
                f(static_cast<TwitchBadge>(i), numbers_[i]);
    }

    bool operator==(const TwitchBadges&) const = default;

private:
    std::array<qint64, badgeCount> numbers_ {};
    std::uint8_t present_ = 0;
};

size_t qHash(const TwitchBadges& badges, size_t seed = 0) noexcept;

} // namespace parley
