#pragma once

#include "twitch/chat/TwitchChatTiming.h"

#include <chrono>

namespace parley {

// The waits between reconnect tries: the first retry wait, doubled per try
// up to the last, each varied by up to the timing's jitter either way. Pure,
// so the growth and the bounds are checked without a socket or a clock.
class TwitchChatReconnectSchedule {
public:
    explicit TwitchChatReconnectSchedule(const TwitchChatTiming& timing) : timing_(timing) { }

    // The wait before try `attempt` (0 for the first after a loss); `random`
    // in [0, 1) picks the variation, 0.5 none.
    std::chrono::milliseconds nextDelay(int attempt, double random) const;

private:
    TwitchChatTiming timing_;
};

} // namespace parley
