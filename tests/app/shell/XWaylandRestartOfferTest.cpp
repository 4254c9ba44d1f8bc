#include "app/shell/install/XWaylandRestartOffer.h"

#include <gtest/gtest.h>

namespace parley {
namespace {

struct OfferRun {
    QList<ModalAlert> alerts;
    int restarts = 0;

    XWaylandRestartOffer offer(const QString& platform, bool hasXWayland, int answer, bool restartStarts = true)
    {
        return { platform, hasXWayland,
            [this, answer](const ModalAlert& alert) {
                alerts.append(alert);
                return answer;
            },
            [this, restartStarts] {
                ++restarts;
                return restartStarts;
            } };
    }
};

TEST(XWaylandRestartOfferTest, UnderWaylandSaysSoOnceAndRestartsWhenAsked)
{
    OfferRun run;
    XWaylandRestartOffer offer = run.offer("wayland", true, 0);

    EXPECT_TRUE(offer.alwaysOnTopTurnedOn());
    EXPECT_FALSE(offer.alwaysOnTopTurnedOn());

    ASSERT_EQ(run.alerts.size(), 1);
    EXPECT_EQ(run.alerts.first().buttons, (QStringList { "Restart on XWayland", "Not Now" }));
    EXPECT_EQ(run.restarts, 1);
}

TEST(XWaylandRestartOfferTest, NotNowOrAFailedStartKeepsParleyRunning)
{
    OfferRun declined;
    EXPECT_FALSE(declined.offer("wayland-egl", true, 1).alwaysOnTopTurnedOn());
    EXPECT_EQ(declined.alerts.size(), 1);
    EXPECT_EQ(declined.restarts, 0);

    OfferRun failed;
    EXPECT_FALSE(failed.offer("wayland", true, 0, false).alwaysOnTopTurnedOn());
    EXPECT_EQ(failed.restarts, 1);
}

TEST(XWaylandRestartOfferTest, WithoutXWaylandOnlyTellsAndOnX11SaysNothing)
{
    OfferRun noX;
    EXPECT_FALSE(noX.offer("wayland", false, 0).alwaysOnTopTurnedOn());
    ASSERT_EQ(noX.alerts.size(), 1);
    EXPECT_EQ(noX.alerts.first().buttons, QStringList { "OK" });
    EXPECT_EQ(noX.restarts, 0);

    for (const char* platform : { "xcb", "offscreen" }) {
        OfferRun other;
        EXPECT_FALSE(other.offer(platform, true, 0).alwaysOnTopTurnedOn());
        EXPECT_TRUE(other.alerts.isEmpty());
    }
}

} // namespace
} // namespace parley
