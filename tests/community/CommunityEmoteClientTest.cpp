#include "community/CommunityEmoteCatalogue.h"
#include "community/CommunityEmoteClient.h"
#include "community/CommunityEmoteError.h"
#include "platform/TransportError.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace parley;
using sim::HttpFault;
using sim::TwitchSimulator;
using Provider = CommunityEmoteProvider;
using Scope = CommunityEmoteCatalogue::Scope;

namespace {

const QString demoRoom = QString::fromLatin1(sim::demo::userID);
const QString otherRoom = QString::fromLatin1(sim::demo::otherChannelUserID);

class CommunityEmoteClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(port, 0); }

    CommunityEmoteServices services() const
    {
        return { simulator.betterTTVAPIURL(), simulator.betterTTVCDNURL(), simulator.frankerFaceZAPIURL(),
            simulator.sevenTVAPIURL() };
    }

    template <typename T>
    static QFuture<T> settled(QFuture<T> future)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 20000));
        return future;
    }

    static QStringList names(const QList<CommunityEmote>& emotes)
    {
        QStringList result;
        for (const CommunityEmote& emote : emotes)
            result.append(emote.name);
        return result;
    }

    // The error a failed future carries.
    template <typename T>
    static std::optional<CommunityEmoteError> failure(QFuture<T> future)
    {
        try {
            settled(future).result();
        } catch (const CommunityEmoteError& error) {
            return error;
        } catch (...) {
        }
        return std::nullopt;
    }

    TwitchSimulator simulator;
    // Started before the client is made: it takes the addresses.
    quint16 port = simulator.start();
    std::shared_ptr<QNetworkAccessManager> network = std::make_shared<QNetworkAccessManager>();
    CommunityEmoteClient client { services(), network };
};

} // namespace

TEST_F(CommunityEmoteClientTest, loadsEveryServicesSetsFromTheStandIns)
{
    EXPECT_EQ(names(settled(client.globalEmotes(Provider::BetterTTV)).result()), QStringList({ "SimPog", "SimVibe" }));
    EXPECT_EQ(names(settled(client.channelEmotes(Provider::BetterTTV, demoRoom)).result()),
        QStringList({ "KEKW", "SimLongBoi", "catJAM" }));
    EXPECT_EQ(names(settled(client.globalEmotes(Provider::FrankerFaceZ)).result()), QStringList({ "SimFrank" }));
    EXPECT_EQ(names(settled(client.channelEmotes(Provider::FrankerFaceZ, demoRoom)).result()),
        QStringList({ "OMEGALUL", "SimBlink" }));
    EXPECT_EQ(names(settled(client.globalEmotes(Provider::SevenTV)).result()), QStringList({ "SimRain", "SimWave" }));
    const QList<CommunityEmote> seven = settled(client.channelEmotes(Provider::SevenTV, demoRoom)).result();
    ASSERT_EQ(names(seven), QStringList({ "catJAM", "SimHat" }));
    EXPECT_EQ(seven[0].imageURL.toString(),
        simulator.baseURL().toString() + QStringLiteral("/7tv-cdn/emote/01F78CHJ2G0005TDE6SJ9A8R3K/2x.webp"));
    EXPECT_TRUE(seven[1].zeroWidth);

    for (const sim::SimRequest& request : simulator.requests()) {
        EXPECT_FALSE(request.hasHeader("Authorization")) << request.path.toStdString();
        EXPECT_FALSE(request.hasHeader("Client-Id")) << request.path.toStdString();
        EXPECT_FALSE(request.hasHeader("Cookie")) << request.path.toStdString();
    }
}

TEST_F(CommunityEmoteClientTest, aChannelWithoutASetIsEmptyAndOtherStatusesFail)
{
    for (Provider provider : { Provider::BetterTTV, Provider::FrankerFaceZ })
        EXPECT_EQ(settled(client.channelEmotes(provider, otherRoom)).result(), QList<CommunityEmote>());
    simulator.setFault(QStringLiteral("/7tv/*"), HttpFault::withStatus(404));
    EXPECT_EQ(settled(client.globalEmotes(Provider::SevenTV)).result(), QList<CommunityEmote>());

    simulator.setFault(QStringLiteral("/bttv/*"), HttpFault::withStatus(500));
    const auto error = failure(client.globalEmotes(Provider::BetterTTV));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), CommunityEmoteError::Code::unexpectedStatus);
    EXPECT_EQ(error->status(), 500);

    simulator.putFile(QStringLiteral("/ffz/v1/set/global"), { "<html>maintenance</html>", "text/html" });
    EXPECT_EQ(failure(client.globalEmotes(Provider::FrankerFaceZ))->code(), CommunityEmoteError::Code::invalidAnswer);

    const auto badRoom = failure(client.channelEmotes(Provider::SevenTV, QStringLiteral("../admin")));
    ASSERT_TRUE(badRoom);
    EXPECT_EQ(badRoom->code(), CommunityEmoteError::Code::invalidRoomID);
}

TEST_F(CommunityEmoteClientTest, answersOverTheLimitAreRefusedWithoutReadingThemWhole)
{
    const qint64 limit = CommunityEmoteClient::maxAnswerSize;
    simulator.setFault(QStringLiteral("/bttv/3/cached/emotes/global"), HttpFault::streamed(limit + 1));
    EXPECT_EQ(failure(client.globalEmotes(Provider::BetterTTV))->code(), CommunityEmoteError::Code::answerTooLarge);

    simulator.setFault(QStringLiteral("/ffz/v1/set/global"), HttpFault::endless());
    EXPECT_EQ(failure(client.globalEmotes(Provider::FrankerFaceZ))->code(), CommunityEmoteError::Code::answerTooLarge);

}

TEST_F(CommunityEmoteClientTest, authenticationChallengesAreNeverAnswered)
{
    simulator.setFault(QStringLiteral("/7tv/v3/emote-sets/global"), HttpFault::withStatus(401));
    const auto unauthorised = failure(client.globalEmotes(Provider::SevenTV));
    ASSERT_TRUE(unauthorised);
    EXPECT_EQ(unauthorised->status(), 401);

    // Qt shows nothing of an endless 401 while it reads it: the wait for the
    // headers ends it long before the inactivity limit would.
    CommunityEmoteClient::Limits limits;
    limits.response = std::chrono::milliseconds(300);
    client.setLimits(limits);
    simulator.setFault(QStringLiteral("/ffz/v1/set/global"), HttpFault { .status = 401, .isEndless = true });
    QFuture<QList<CommunityEmote>> endless = settled(client.globalEmotes(Provider::FrankerFaceZ));
    try {
        endless.result();
        ADD_FAILURE() << "an endless 401 succeeded";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.code(), QNetworkReply::TimeoutError);
    }
}

namespace {

class CommunityEmoteCatalogueTest : public CommunityEmoteClientTest {
protected:
    bool allSettled() const
    {
        for (Provider provider : communityEmoteProviders)
            for (Scope scope : { Scope::channel, Scope::global })
                if (catalogue.isProviderEnabled(provider) && !catalogue.isLoaded(provider, scope))
                    return false;
        return true;
    }

    QString providerOf(const QString& word) const
    {
        const CommunityEmote* emote = catalogue.find(word);
        return emote ? wireName(emote->provider).toString() : QString();
    }

    CommunityEmoteCatalogue catalogue { client };
};

} // namespace

TEST_F(CommunityEmoteCatalogueTest, resolvesChannelBeforeGlobalThen7TVBetterTTVFrankerFaceZ)
{
    simulator.model().addCommunityEmote({ sim::SimCommunityEmote::Service::frankerFaceZ, QStringLiteral("99"),
        QStringLiteral("SimPog"), demoRoom });
    simulator.model().addCommunityEmote({ sim::SimCommunityEmote::Service::sevenTV,
        QStringLiteral("01HZZZZZZZ0000000000000000"), QStringLiteral("SimFrank"), {} });
    catalogue.load(demoRoom);
    ASSERT_TRUE(QTest::qWaitFor([&] { return allSettled(); }, 20000));

    EXPECT_EQ(providerOf(QStringLiteral("catJAM")), QStringLiteral("7tv")) << "7TV's channel set before BetterTTV's";
    EXPECT_EQ(providerOf(QStringLiteral("SimPog")), QStringLiteral("ffz")) << "a channel set before any global one";
    EXPECT_EQ(providerOf(QStringLiteral("SimFrank")), QStringLiteral("7tv")) << "7TV's global set before FrankerFaceZ's";
    EXPECT_EQ(providerOf(QStringLiteral("KEKW")), QStringLiteral("bttv"));
    EXPECT_EQ(catalogue.find(QStringLiteral("kekw")), nullptr) << "names match case-sensitively";

    catalogue.setProviderEnabled(Provider::SevenTV, false);
    EXPECT_EQ(providerOf(QStringLiteral("catJAM")), QStringLiteral("bttv"));
    EXPECT_EQ(catalogue.find(QStringLiteral("SimWave")), nullptr);
    catalogue.setProviderEnabled(Provider::SevenTV, true);
    EXPECT_EQ(providerOf(QStringLiteral("catJAM")), QStringLiteral("7tv"));
}

TEST_F(CommunityEmoteCatalogueTest, aFailingServiceHoldsUpNoOtherAndIsRetriedLater)
{
    simulator.setFault(QStringLiteral("/bttv/*"), HttpFault::withStatus(500).forRequests(2));
    simulator.setFault(QStringLiteral("/ffz/*"), HttpFault::stalledAfter());
    catalogue.setRetryDelay(std::chrono::milliseconds(1000));
    int failures = 0;
    QObject::connect(&catalogue, &CommunityEmoteCatalogue::loadFailed, [&] { ++failures; });
    catalogue.load(demoRoom);

    ASSERT_TRUE(QTest::qWaitFor([&] { return catalogue.isLoaded(Provider::SevenTV, Scope::channel) &&
                                               catalogue.isLoaded(Provider::SevenTV, Scope::global) && failures == 2; },
        20000));
    EXPECT_NE(catalogue.find(QStringLiteral("SimWave")), nullptr) << "while FrankerFaceZ still stalls";
    EXPECT_EQ(catalogue.find(QStringLiteral("SimPog")), nullptr);
    QTest::qWait(200);
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/bttv/3/cached/emotes/global")), 1) << "not retried at once";

    ASSERT_TRUE(QTest::qWaitFor([&] { return catalogue.isLoaded(Provider::BetterTTV, Scope::global); }, 20000));
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/bttv/3/cached/emotes/global")), 2);
    EXPECT_NE(catalogue.find(QStringLiteral("SimPog")), nullptr);
    EXPECT_FALSE(catalogue.isLoaded(Provider::FrankerFaceZ, Scope::global));
}

TEST_F(CommunityEmoteCatalogueTest, aNewChannelReplacesTheOldOnesSetsAndSwitchedOffServicesAreNotAsked)
{
    catalogue.setProviderEnabled(Provider::FrankerFaceZ, false);
    catalogue.load(demoRoom);
    ASSERT_TRUE(QTest::qWaitFor([&] { return allSettled(); }, 20000));
    EXPECT_NE(catalogue.find(QStringLiteral("KEKW")), nullptr);
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/ffz/v1/set/global")), 0);

    catalogue.load(otherRoom);
    EXPECT_EQ(catalogue.find(QStringLiteral("KEKW")), nullptr) << "the old channel's set is gone at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return allSettled(); }, 20000));
    EXPECT_NE(catalogue.find(QStringLiteral("SimStreamer")), nullptr);
    EXPECT_EQ(catalogue.find(QStringLiteral("KEKW")), nullptr);
}
