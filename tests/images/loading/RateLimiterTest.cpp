#include "images/loading/RateLimiter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace parley;
using namespace std::chrono_literals;

namespace {

// A limiter on a hand-driven clock whose drains run when the test says so.
struct ManualLimiter {
    double now = 100;
    std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> scheduled;
    RateLimiter limiter { [this](std::chrono::milliseconds delay, std::function<void()> drain) {
                             scheduled.emplace_back(delay, std::move(drain));
                         },
        80, 25, [this] { return now; } };

    // Lets the scheduled drain's delay pass and runs it.
    void runNextDrain()
    {
        ASSERT_FALSE(scheduled.empty());
        auto [delay, drain] = std::move(scheduled.front());
        scheduled.erase(scheduled.begin());
        now += std::chrono::duration<double>(delay).count();
        drain();
    }
};

} // namespace

TEST(RateLimiter, startsTheBurstAtOnceThenAboutTwoPerDrain)
{
    ManualLimiter manual;
    int started = 0;
    for (int i = 0; i < 30; ++i)
        manual.limiter.execute([&] {
            ++started;
            return true;
        });

    EXPECT_EQ(started, 25);
    EXPECT_EQ(manual.limiter.pendingCount(), 5u);
    ASSERT_EQ(manual.scheduled.size(), 1u) << "one drain is scheduled however much waits";
    EXPECT_EQ(manual.scheduled.front().first, 26ms);

    manual.runNextDrain();
    EXPECT_EQ(started, 27);
    manual.runNextDrain();
    EXPECT_EQ(started, 29);
    manual.runNextDrain();
    EXPECT_EQ(started, 30);
    EXPECT_TRUE(manual.scheduled.empty()) << "no drain once nothing waits";
}

TEST(RateLimiter, workThatStartsNothingCostsNoTokenAndKeepsOrder)
{
    ManualLimiter manual;
    for (int i = 0; i < 25; ++i)
        manual.limiter.execute([] { return true; });
    std::vector<int> order;
    manual.limiter.execute([&] {
        order.push_back(1);
        return false;
    }); // cancelled meanwhile
    manual.limiter.execute([&] {
        order.push_back(2);
        return true;
    });
    manual.limiter.execute([&] {
        order.push_back(3);
        return true;
    });
    EXPECT_TRUE(order.empty());

    manual.runNextDrain(); // 26 ms at 80/s: 2.08 tokens
    EXPECT_EQ(order, (std::vector { 1, 2, 3 }));
}

TEST(RateLimiter, newWorkQueuesBehindWaitingWorkEvenWithTokens)
{
    ManualLimiter manual;
    for (int i = 0; i < 26; ++i)
        manual.limiter.execute([] { return true; });
    manual.now += 1; // the bucket is full again, but one item still waits
    bool ranEarly = false;
    manual.limiter.execute([&] {
        ranEarly = true;
        return true;
    });
    EXPECT_FALSE(ranEarly);
    manual.runNextDrain();
    EXPECT_TRUE(ranEarly);
}

TEST(RateLimiter, drainIntervalFollowsTheRateWithinBounds)
{
    const auto interval = [](double rate) { return RateLimiter([](auto, auto) {}, rate, 1).drainInterval(); };
    EXPECT_EQ(interval(80), 26ms);
    EXPECT_EQ(interval(1000), 15ms);
    EXPECT_EQ(interval(10), 100ms);
}

TEST(RateLimiter, destroyedLimiterDropsItsScheduledDrain)
{
    std::function<void()> drain;
    bool ran = false;
    {
        RateLimiter limiter([&](auto, std::function<void()> closure) { drain = std::move(closure); }, 80, 1);
        limiter.execute([] { return true; });
        limiter.execute([&] {
            ran = true;
            return true;
        });
    }
    ASSERT_TRUE(drain);
    drain();
    EXPECT_FALSE(ran);
}
