#include "twitch/chat/internal/TwitchChatReconnectSchedule.h"

#include <gtest/gtest.h>

using namespace parley;
using std::chrono::milliseconds;

TEST(TwitchChatReconnectSchedule, DoublesFromTheFirstWaitUpToTheLast)
{
    const TwitchChatReconnectSchedule schedule(TwitchChatTiming {});
    const double none = 0.5;
    EXPECT_EQ(schedule.nextDelay(0, none), milliseconds(1'000));
    EXPECT_EQ(schedule.nextDelay(1, none), milliseconds(2'000));
    EXPECT_EQ(schedule.nextDelay(4, none), milliseconds(16'000));
    EXPECT_EQ(schedule.nextDelay(5, none), milliseconds(30'000));
    // Far past the cap the doubling must not overflow into a short wait.
    EXPECT_EQ(schedule.nextDelay(1'000, none), milliseconds(30'000));
}

TEST(TwitchChatReconnectSchedule, VariesEachWaitByTheJitterEitherWay)
{
    TwitchChatTiming timing;
    timing.jitter = 0.2;
    const TwitchChatReconnectSchedule schedule(timing);
    EXPECT_EQ(schedule.nextDelay(0, 0.0), milliseconds(800));
    EXPECT_EQ(schedule.nextDelay(0, 0.75), milliseconds(1'100));
    EXPECT_EQ(schedule.nextDelay(9, 0.0), milliseconds(24'000));
    EXPECT_LE(schedule.nextDelay(9, 0.999999), milliseconds(36'000));
    EXPECT_GT(schedule.nextDelay(9, 0.999999), milliseconds(35'990));
}
