#include "app/session/SessionTestSupport.h"

#include "app/session/EmoteRegistry.h"
#include "app/session/NoopEmoteRegistry.h"
#include "platform/Diagnostics.h"

#include <QSignalSpy>

using namespace parley;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

const QString demoChannel = QString::fromLatin1(sim::demo::userID);

class EmoteRegistryTest : public ::testing::Test {
protected:
    bool settled(const EmoteSet& set)
    {
        return QTest::qWaitFor(
            [&] { return registry.sets().value(set, EmoteSetStatus::loading) != EmoteSetStatus::loading; }, waitMs);
    }

    SimulatedTwitch twitch;
    std::chrono::steady_clock::time_point now {};
    EmoteRegistry registry { *twitch.api, SimulatedTwitch::token(), nullptr, [this] { return now; } };
};

} // namespace

TEST_F(EmoteRegistryTest, OverlappingRequestsFetchTwiceAndKeepOneRecordPerID)
{
    registry.loadEmoteSet(EmoteSet::global());
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::loading);
    registry.loadEmoteSet(EmoteSet::global());

    ASSERT_TRUE(QTest::qWaitFor([&] { return twitch.helixRequests(test::globalPath) == 2; }, waitMs));
    ASSERT_TRUE(settled(EmoteSet::global()));
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::loaded);
    EXPECT_EQ(registry.emotes().size(), twitch.sim.model().globalEmotes().size());
    EXPECT_EQ(registry.emotes().value("9").name, "<3");
    // Global records name no set, so nothing else was asked for.
    EXPECT_EQ(registry.sets().size(), 1);

    // A loaded set is left alone: no status change, hence no fetch.
    QSignalSpy setChanges(&registry, &EmoteRegistry::setsChanged);
    registry.loadEmoteSet(EmoteSet::global());
    EXPECT_EQ(setChanges.count(), 0);
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::loaded);
}

TEST_F(EmoteRegistryTest, ChannelRecordsLeadToTheirSetsExceptThoseAlreadyLoaded)
{
    const EmoteSet preloaded = EmoteSet::custom("400000002");
    registry.loadEmoteSet(preloaded);
    ASSERT_TRUE(settled(preloaded));

    registry.loadEmoteSet(EmoteSet::channel(demoChannel));
    for (const char* id : { "400000001", "400000002", "400000003" })
        ASSERT_TRUE(settled(EmoteSet::custom(id))) << id;
    ASSERT_TRUE(settled(EmoteSet::channel(demoChannel)));

    EXPECT_EQ(twitch.helixRequests(test::channelPath, "broadcaster_id=" + demoChannel), 1);
    EXPECT_EQ(twitch.helixRequests(test::setPath, "emote_set_id=400000001"), 1);
    EXPECT_EQ(twitch.helixRequests(test::setPath, "emote_set_id=400000002"), 1);
    EXPECT_EQ(twitch.helixRequests(test::setPath, "emote_set_id=400000003"), 1);
    EXPECT_EQ(registry.sets().size(), 4);
    for (EmoteSetStatus status : registry.sets())
        EXPECT_EQ(status, EmoteSetStatus::loaded);
    EXPECT_EQ(registry.emotes().value("301000103").emoteSetID, "400000003");
    EXPECT_FALSE(registry.emotes().contains("301000201")); // another channel's emote
}

TEST_F(EmoteRegistryTest, AFailedSetIsFetchedAgainOnTheNextRequest)
{
    twitch.sim.setFault(test::globalPath, sim::HttpFault::withStatus(500).once());
    DiagnosticsCapture log;
    registry.loadEmoteSet(EmoteSet::global());
    ASSERT_TRUE(settled(EmoteSet::global()));
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::failed);
    EXPECT_TRUE(registry.emotes().isEmpty());
    EXPECT_TRUE(log.lines().join('\n').contains("EmoteRegistry.fetchFailed: global"));
    EXPECT_FALSE(log.lines().join('\n').contains(QString::fromLatin1(sim::demo::token)));

    // Not again within a minute of the failure: it stays failed.
    now += std::chrono::seconds(59);
    registry.loadEmoteSet(EmoteSet::global());
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::failed);
    EXPECT_EQ(twitch.helixRequests(test::globalPath), 1);

    now += std::chrono::seconds(1);
    registry.loadEmoteSet(EmoteSet::global());
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::loading);
    ASSERT_TRUE(settled(EmoteSet::global()));
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::loaded);
    EXPECT_FALSE(registry.emotes().isEmpty());
}

TEST_F(EmoteRegistryTest, AMessageNamingManySetsFetchesThemAtMostTwentyFiveAtATime)
{
    twitch.sim.setFault(test::setPath, sim::HttpFault::delayed(200));
    QList<EmoteSet> named;
    for (int i = 0; i < 30; ++i)
        named.append(EmoteSet::custom(QString::number(500000000 + i)));
    for (int draw = 0; draw < 3; ++draw)
        for (const EmoteSet& set : named)
            registry.loadEmoteSet(set);
    EXPECT_EQ(registry.customFetchesInFlight(), EmoteRegistry::maxConcurrentSetFetches);
    for (const EmoteSet& set : named)
        EXPECT_EQ(registry.sets().value(set), EmoteSetStatus::loading);

    for (const EmoteSet& set : named)
        ASSERT_TRUE(settled(set));
    EXPECT_EQ(registry.customFetchesInFlight(), 0);
    for (const EmoteSet& set : named)
        EXPECT_EQ(twitch.helixRequests(test::setPath, u"emote_set_id="_qs + set.id()), 1)
            << "a set waiting or loading is not asked for twice";
    for (const EmoteSet& set : named)
        EXPECT_EQ(registry.sets().value(set), EmoteSetStatus::loaded);
}

TEST_F(EmoteRegistryTest, OtherChannelsEmotesLoadFromTheTemplateOnceTheBaseSetsAreIn)
{
    const QString foreign = QStringLiteral("301000202");
    EXPECT_FALSE(registry.templateImageURL(foreign));
    registry.loadEmoteSet(EmoteSet::global());
    ASSERT_TRUE(settled(EmoteSet::global()));
    EXPECT_FALSE(registry.templateImageURL(foreign)) << "the channel's set may still bring it";

    QSignalSpy changes(&registry, &EmoteRegistryProtocol::emotesChanged);
    registry.loadEmoteSet(EmoteSet::channel(demoChannel));
    ASSERT_TRUE(settled(EmoteSet::channel(demoChannel)));
    EXPECT_GE(changes.count(), 1);
    const std::optional<QUrl> url = registry.templateImageURL(foreign);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->path(), u"/emoticons/v2/301000202/static/light/2.0");
    EXPECT_TRUE(registry.templateImageURL(QStringLiteral("emotesv2_ab12")));
    for (const QString& unsafe : { QStringLiteral("../x"), QStringLiteral("1?a=b"), QStringLiteral("a/b"),
             QStringLiteral(""), QStringLiteral("\u00e9") })
        EXPECT_FALSE(registry.templateImageURL(unsafe)) << unsafe.toStdString();
}

TEST_F(EmoteRegistryTest, AnimatedEmotesAreDrawnFromTheTemplatesAnimatedImage)
{
    registry.loadEmoteSet(EmoteSet::global());
    registry.loadEmoteSet(EmoteSet::channel(demoChannel));
    ASSERT_TRUE(settled(EmoteSet::global()) && settled(EmoteSet::channel(demoChannel)));
    const QString dance = QStringLiteral("emotesv2_4c3b4ed516de493bbcd2df2f5d450f49");
    ASSERT_TRUE(registry.imageURL(dance));
    EXPECT_EQ(registry.imageURL(dance)->path(), QStringLiteral("/emoticons/v2/%1/animated/light/2.0").arg(dance));
    // A still emote keeps its record's image.
    const TwitchEmote still = registry.emotes().value(QStringLiteral("301000202"));
    if (!still.id.isEmpty())
        EXPECT_EQ(registry.imageURL(still.id), still.images.url2x);
}

TEST_F(EmoteRegistryTest, ObserversOfATableChangeSeeTheNewRecords)
{
    QList<bool> seenInChange;
    QObject::connect(&registry, &EmoteRegistryProtocol::emotesChanged, &registry,
        [&] { seenInChange.append(registry.emotes().contains("1")); });
    QList<EmoteSetStatus> statusesSeen;
    QObject::connect(&registry, &EmoteRegistry::setsChanged, &registry,
        [&] { statusesSeen.append(registry.sets().value(EmoteSet::global())); });

    registry.loadEmoteSet(EmoteSet::global());
    ASSERT_TRUE(settled(EmoteSet::global()));
    EXPECT_EQ(seenInChange, QList<bool> { true }); // one change for all records
    EXPECT_EQ(statusesSeen, (QList<EmoteSetStatus> { EmoteSetStatus::loading, EmoteSetStatus::loaded }));
}

TEST_F(EmoteRegistryTest, UnusableAnswersAndIDsFailOnlyTheirSet)
{
    twitch.sim.setFault(test::setPath, sim::HttpFault::truncated(20));
    registry.loadEmoteSet(EmoteSet::custom("400000001"));
    registry.loadEmoteSet(EmoteSet::custom("has space"));
    registry.loadEmoteSet(EmoteSet::global());
    ASSERT_TRUE(settled(EmoteSet::custom("400000001")));
    ASSERT_TRUE(settled(EmoteSet::custom("has space")));
    ASSERT_TRUE(settled(EmoteSet::global()));
    EXPECT_EQ(registry.sets().value(EmoteSet::custom("400000001")), EmoteSetStatus::failed);
    EXPECT_EQ(registry.sets().value(EmoteSet::custom("has space")), EmoteSetStatus::failed);
    EXPECT_EQ(registry.sets().value(EmoteSet::global()), EmoteSetStatus::loaded);
}

TEST(EmoteRegistryLifetime, AFetchFinishingAfterTheRegistryIsGoneIsDropped)
{
    SimulatedTwitch twitch;
    twitch.sim.setFault(test::globalPath, sim::HttpFault::delayed(100));
    auto registry = std::make_unique<EmoteRegistry>(*twitch.api, SimulatedTwitch::token());
    registry->loadEmoteSet(EmoteSet::global());
    registry.reset();
    // A later request of the same kind completes after the dropped one; its
    // answer must touch nothing.
    QFuture<TwitchEmoteSet> later = twitch.api->globalEmotes(SimulatedTwitch::token());
    ASSERT_TRUE(QTest::qWaitFor([&] { return later.isFinished(); }, waitMs));
    EXPECT_EQ(twitch.helixRequests(test::globalPath), 2);
}

TEST(NoopEmoteRegistry, KeepsItsTableWhateverItIsAskedFor)
{
    TwitchEmote smile;
    smile.id = "1";
    smile.name = ":)";
    const EmoteTable table { { smile.id, smile } };
    NoopEmoteRegistry registry(table);
    QSignalSpy changes(&registry, &EmoteRegistryProtocol::emotesChanged);
    registry.loadEmoteSet(EmoteSet::global());
    registry.loadEmoteSet(EmoteSet::custom("1"));
    EXPECT_EQ(registry.emotes(), table);
    EXPECT_EQ(changes.count(), 0);
}
