#include "images/loading/RateLimiter.h"

#include <algorithm>

namespace parley {

namespace {

std::chrono::milliseconds drainIntervalFor(double rate)
{
    const auto interval = static_cast<long long>(1000.0 / rate * 2.1);
    return std::chrono::milliseconds(std::clamp(interval, 15LL, 100LL));
}

} // namespace

RateLimiter::RateLimiter(Scheduler schedule, double rate, double burst, TokenBucket::Clock clock)
    : state_(
          std::make_shared<State>(State { TokenBucket(rate, burst, std::move(clock)), std::move(schedule), {}, false }))
{ }

std::chrono::milliseconds RateLimiter::drainInterval() const
{
    return drainIntervalFor(state_->bucket.rate());
}

void RateLimiter::execute(Work work)
{
    if (!state_->pending.empty() || !state_->bucket.hasToken()) {
        state_->pending.push_back(std::move(work));
        scheduleDrain(state_);
        return;
    }
    if (work())
        state_->bucket.takeToken();
}

// The drain holds the state weakly: a limiter destroyed meanwhile drops its
// waiting work.
void RateLimiter::scheduleDrain(const std::shared_ptr<State>& state)
{
    if (state->isExecutingPendingTasks)
        return;
    state->isExecutingPendingTasks = true;
    state->schedule(drainIntervalFor(state->bucket.rate()), [weak = std::weak_ptr(state)] {
        if (const auto state = weak.lock())
            drain(state);
    });
}

void RateLimiter::drain(const std::shared_ptr<State>& state)
{
    while (!state->pending.empty() && state->bucket.hasToken()) {
        Work work = std::move(state->pending.front());
        state->pending.pop_front();
        if (work())
            state->bucket.takeToken();
    }
    state->isExecutingPendingTasks = false;
    if (!state->pending.empty())
        scheduleDrain(state);
}

} // namespace parley
