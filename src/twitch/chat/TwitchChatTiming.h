#pragma once

#include <chrono>

namespace parley {

// The time limits, intervals and send limits of the chat client. The defaults are those
// of a long-lived connection to the service; tests shorten them.
struct TwitchChatTiming {
    using milliseconds = std::chrono::milliseconds;

    // From opening the socket to the service's welcome (numeric 001).
    milliseconds handshakeLimit { 15'000 };
    // Silence before the client asks "PING"; then the answer's limit.
    milliseconds idleBeforePing { 60'000 };
    milliseconds pingAnswerLimit { 15'000 };
    // A sent message the service neither confirms nor refuses in this time is
    // dropped.
    milliseconds confirmationLimit { 10'000 };
    // Waits between reconnect tries: the first, doubled per try up to the
    // last, each varied by up to `jitter` either way. A connection up for
    // `stableAfter` starts the waits over.
    milliseconds firstRetry { 1'000 };
    milliseconds lastRetry { 30'000 };
    double jitter = 0.2;
    milliseconds stableAfter { 60'000 };
    // The service's window for counting a user's messages, and how many it
    // takes in one: more from the broadcaster in their own channel.
    milliseconds rateWindow { 30'000 };
    int rateLimit = 20;
    int ownChannelRateLimit = 100;
};

} // namespace parley
