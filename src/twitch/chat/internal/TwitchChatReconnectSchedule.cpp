#include "twitch/chat/internal/TwitchChatReconnectSchedule.h"

#include <QtGlobal>

#include <algorithm>

namespace parley {

std::chrono::milliseconds TwitchChatReconnectSchedule::nextDelay(int attempt, double random) const
{
    // Past 2^20 the doubling is capped anyway; the shift must not overflow.
    const std::chrono::milliseconds base = std::min<std::chrono::milliseconds>(
        timing_.firstRetry * (qint64(1) << std::clamp(attempt, 0, 20)), timing_.lastRetry);
    const double factor = 1.0 + timing_.jitter * (2.0 * random - 1.0);
    return std::chrono::milliseconds(qint64(double(base.count()) * factor));
}

} // namespace parley
