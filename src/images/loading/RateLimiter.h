#pragma once

#include "images/loading/TokenBucket.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

namespace parley {

// Smooths bursts of new downloads: work runs at once while the token bucket
// has tokens, otherwise it waits in order and is drained on the owner's queue
// as tokens come back. Work returns whether it really started something; work
// that did not (its download was cancelled meanwhile) costs no token.
// Used from one queue only, the one `schedule` runs on.
class RateLimiter {
public:
    using Work = std::function<bool()>;
    // Runs a closure on the owner's queue after a delay.
    using Scheduler = std::function<void(std::chrono::milliseconds delay, std::function<void()> closure)>;

    explicit RateLimiter(Scheduler schedule, double rate = 80, double burst = 25,
        TokenBucket::Clock clock = &TokenBucket::steadySeconds);

    void execute(Work work);

    std::chrono::milliseconds drainInterval() const;
    std::size_t pendingCount() const { return state_->pending.size(); }

private:
    struct State {
        TokenBucket bucket;
        Scheduler schedule;
        std::deque<Work> pending;
        bool isExecutingPendingTasks = false;
    };
    static void scheduleDrain(const std::shared_ptr<State>& state);
    static void drain(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
};

} // namespace parley
