#pragma once

#include <functional>

namespace parley {

// A bucket of `burst` tokens refilled at `rate` tokens per second. Not
// thread-safe: its owner uses it from one queue.
class TokenBucket {
public:
    // Seconds on a monotonic clock.
    using Clock = std::function<double()>;
    static double steadySeconds();

    TokenBucket(double rate, double burst, Clock clock = &steadySeconds);

    double rate() const { return rate_; }
    double burst() const { return burst_; }

    // Refills for the time passed and tells whether a whole token is there.
    bool hasToken();
    void takeToken() { bucket_ -= 1; }

private:
    void refill();

    double rate_;
    double burst_;
    Clock clock_;
    double bucket_;
    double timestamp_;
};

} // namespace parley
