#include "images/loading/TokenBucket.h"

#include <algorithm>
#include <chrono>

namespace parley {

double TokenBucket::steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

TokenBucket::TokenBucket(double rate, double burst, Clock clock)
    : rate_(rate), burst_(burst), clock_(std::move(clock)), bucket_(burst), timestamp_(clock_())
{ }

bool TokenBucket::hasToken()
{
    refill();
    return bucket_ >= 1;
}

void TokenBucket::refill()
{
    const double now = clock_();
    const double elapsed = std::max(0.0, now - timestamp_);
    bucket_ = std::min(burst_, bucket_ + elapsed * rate_);
    timestamp_ = now;
}

} // namespace parley
