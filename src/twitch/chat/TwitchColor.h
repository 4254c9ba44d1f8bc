#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <optional>

namespace parley {

// A sender's name colour; each channel is its 0-255 value divided by 255.
struct TwitchColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    // Reads "#RRGGBB": seven characters, the first one not examined, then three
    // two-digit hexadecimal channels (either case, an optional sign allowed).
    // A channel outside 0-255 ("-1" and the like) gives no colour.
    static std::optional<TwitchColor> fromString(QStringView text);

    // "#RRGGBB" in upper case, each channel times 255 truncated towards zero
    // (and held within 0-255, so the form always has seven characters).
    QString rawValue() const;

    bool operator==(const TwitchColor&) const = default;
};

size_t qHash(const TwitchColor& color, size_t seed = 0) noexcept;

} // namespace parley
