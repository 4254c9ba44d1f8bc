#include "app/ui/chat/ShownSessionView.h"

#include "app/ui/chat/AnimatedEmoteItem.h"
#include "support/ChatLine.h"

#include <QImage>

using namespace parley;
using namespace parley::test;

namespace {

class AnimatedEmoteTest : public ShownSessionView {
protected:
    QImage place(const QQuickItem& emote)
    {
        return view.grab().toImage().copy(emote.mapRectToScene(emote.boundingRect()).toAlignedRect());
    }
};

} // namespace

TEST_F(AnimatedEmoteTest, PlaysInItsPlaceWhileShownAndItsClockSleepsWhileTheWindowIsHidden)
{
    show(360, 480);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.communityEmotes()->find(u"catJAM"); }, waitMs));
    twitch.sim.chat().sendText(ChatLine { QStringLiteral("m1"), QStringLiteral("look catJAM") }.toString());

    EmoteAnimationClock* clock = session.emoteImageLoader()->animationClock();
    ASSERT_TRUE(QTest::qWaitFor([&] { return clock->isRunning(); }, waitMs));
    auto* emote = qobject_cast<AnimatedEmoteItem*>(item(QStringLiteral("animatedEmote"), true));
    ASSERT_TRUE(emote);
    EXPECT_TRUE(emote->isPlaying());
    EXPECT_EQ(emote->size(), QSizeF(24, 24));

    // Caught on two frames: the same place shows another picture a moment later.
    const QImage first = place(*emote);
    EXPECT_TRUE(QTest::qWaitFor([&] { return place(*emote) != first; }, waitMs));

    view.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !clock->isRunning(); }, waitMs));
    EXPECT_FALSE(emote->isPlaying());
    view.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return clock->isRunning(); }, waitMs));
}
