#include "twitch/chat/internal/ChatLineFields.h"

#include "twitch/WireText.h"

#include <cmath>

namespace parley::chatline {

std::optional<Instant> readSentAt(QStringView value)
{
    const auto milliseconds = wire::readDecimal(value);
    if (!milliseconds)
        return std::nullopt;
    const double microseconds = std::round(*milliseconds * 1000.0);
    constexpr double limit = 9.2e18; // just inside the 64-bit range
    if (!(std::fabs(microseconds) < limit))
        return std::nullopt;
    return Instant(std::chrono::microseconds(static_cast<qint64>(microseconds)));
}

std::optional<QStringView> readTrailing(QStringView parameters)
{
    const auto parts = wire::splitOnce(parameters, u' ');
    if (!parts)
        return std::nullopt;
    const QStringView rest = parts->second;
    return rest.sliced(wire::afterCodePoint(rest, 0));
}

} // namespace parley::chatline
