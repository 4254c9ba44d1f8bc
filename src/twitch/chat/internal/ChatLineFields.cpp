#include "twitch/chat/internal/ChatLineFields.h"

#include "twitch/WireText.h"

#include <algorithm>
#include <cmath>

namespace parley::chatline {

std::optional<Instant> readSentAt(QStringView value)
{
    // The service sends whole milliseconds: read those as an integer, which
    // is exact below 10^15 and much cheaper than a decimal.
    if (value.size() <= 15 && std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        if (const auto whole = wire::readInt64(value))
            return Instant(std::chrono::milliseconds(*whole));
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
