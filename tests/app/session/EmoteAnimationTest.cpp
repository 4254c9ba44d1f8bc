#include "app/session/EmoteAnimation.h"
#include "app/session/EmoteAnimationClock.h"

#include "twitch-sim/GifEncoder.h"

#include <gtest/gtest.h>

using namespace parley;
using namespace std::chrono_literals;

namespace {

// A 56x56 GIF of `delays.size()` frames with these delays (centiseconds).
QByteArray animatedGIF(const QList<int>& delays)
{
    sim::GifEncoder encoder(56, 56, { qRgba(0, 0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255) });
    for (qsizetype i = 0; i < delays.size(); ++i)
        encoder.addFrame(QByteArray(56 * 56, char(1 + i % 2)), delays[i]);
    return encoder.finish();
}

} // namespace

TEST(EmoteAnimation, FramesFollowTheTimeAndShortDelaysPlayAsBrowsersPlayThem)
{
    // 50 ms, 0 ms (plays as 100 ms), 10 ms (plays as 100 ms): a loop of 250 ms.
    const std::optional<EmoteAnimation> animation = EmoteAnimation::decode(animatedGIF({ 5, 0, 1 }), 1 << 20);
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->frames().size(), 3);
    EXPECT_EQ(animation->duration(), 250ms);
    EXPECT_EQ(animation->frames().front().size, QSizeF(24, 24));
    EXPECT_EQ(animation->frameAt(0ms), 0);
    EXPECT_EQ(animation->frameAt(49ms), 0);
    EXPECT_EQ(animation->frameAt(50ms), 1);
    EXPECT_EQ(animation->frameAt(249ms), 2);
    EXPECT_EQ(animation->frameAt(250ms), 0); // loops
    EXPECT_EQ(animation->untilNextFrame(260ms), 40ms);
}

TEST(EmoteAnimation, StillImagesBrokenDataAndFilesOverTheBudgetGiveNone)
{
    EXPECT_FALSE(EmoteAnimation::decode(animatedGIF({ 5 }), 1 << 20));
    EXPECT_FALSE(EmoteAnimation::decode(QByteArray("GIF89a not really"), 1 << 20));
    // Two 56x56 frames take 25,088 bytes decoded.
    EXPECT_FALSE(EmoteAnimation::decode(animatedGIF({ 5, 5 }), 20'000));
    EXPECT_EQ(EmoteAnimation::decode(animatedGIF({ 5, 5 }), 30'000)->byteCount(), 2 * 56 * 56 * 4);
}

TEST(EmoteAnimationClock, RunsOnlyWhileSomethingIsShownAndWakesForTheNextFrameNoSoonerThanItsFloor)
{
    EmoteAnimationClock clock;
    auto slow = std::make_shared<const EmoteAnimation>(*EmoteAnimation::decode(animatedGIF({ 50, 50 }), 1 << 20));
    auto fast = std::make_shared<const EmoteAnimation>(*EmoteAnimation::decode(animatedGIF({ 2, 2 }), 1 << 20));
    QObject first;
    QObject second;
    EXPECT_FALSE(clock.isRunning());

    clock.show(&first, slow);
    EXPECT_TRUE(clock.isRunning());
    EXPECT_GT(clock.nextWake(), 400ms);
    clock.show(&second, fast);
    EXPECT_EQ(clock.nextWake(), EmoteAnimationClock::minimumInterval);

    // Hidden (a minimised window, a row gone): no wake-ups at all.
    clock.hide(&second);
    clock.hide(&first);
    EXPECT_FALSE(clock.isRunning());
    EXPECT_EQ(clock.shownCount(), 0);
}
