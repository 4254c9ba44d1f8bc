#include "app/session/SessionTestSupport.h"

#include "app/session/BadgeCatalogue.h"
#include "platform/Diagnostics.h"

#include <QSignalSpy>

using namespace parley;
using namespace std::chrono_literals;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

const QString demoChannel = QString::fromLatin1(sim::demo::userID);
const QString badgesPath = QStringLiteral("/helix/chat/badges");
const QString globalBadgesPath = QStringLiteral("/helix/chat/badges/global");

class BadgeCatalogueTest : public ::testing::Test {
protected:
    SimulatedTwitch twitch;
    BadgeCatalogue catalogue { *twitch.api, SimulatedTwitch::token(), nullptr, 300ms };
};

} // namespace

TEST_F(BadgeCatalogueTest, TheChannelsVersionWinsOverTheGlobalOneAndUnknownBadgesAreNone)
{
    catalogue.loadGlobal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return catalogue.find(u"moderator"_qs, u"1"_qs).has_value(); }, waitMs));
    EXPECT_EQ(catalogue.find(u"subscriber"_qs, u"0"_qs)->imageURL2x.path(), u"/badges/v1/subscriber-0/2"_qs);
    EXPECT_FALSE(catalogue.find(u"subscriber"_qs, u"12"_qs));

    QSignalSpy changed(&catalogue, &BadgeCatalogue::badgesChanged);
    catalogue.loadChannel(demoChannel);
    catalogue.loadChannel(demoChannel);
    ASSERT_TRUE(changed.wait(waitMs));
    EXPECT_EQ(catalogue.find(u"subscriber"_qs, u"0"_qs)->imageURL2x.path(), u"/badges/v1/subscriber-0-channel/2"_qs);
    EXPECT_EQ(catalogue.find(u"subscriber"_qs, u"12"_qs)->title, u"Subscriber"_qs);
    EXPECT_EQ(catalogue.find(u"moderator"_qs, u"1"_qs)->title, u"Moderator"_qs);
    EXPECT_FALSE(catalogue.find(u"moderator"_qs, u"2"_qs));
    EXPECT_FALSE(catalogue.find(u"glitchcon2020"_qs, u"1"_qs));
    EXPECT_EQ(twitch.helixRequests(badgesPath, u"broadcaster_id="_qs + demoChannel), 1);
}

TEST_F(BadgeCatalogueTest, AFailedCatalogueIsAskedForAgainOnlyAfterTheRetryDelay)
{
    DiagnosticsCapture log;
    twitch.sim.setFault(globalBadgesPath, sim::HttpFault::withStatus(500).once());
    const auto started = std::chrono::steady_clock::now();
    catalogue.loadGlobal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return catalogue.find(u"vip"_qs, u"1"_qs).has_value(); }, waitMs));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
    EXPECT_EQ(twitch.helixRequests(globalBadgesPath), 2);
}
