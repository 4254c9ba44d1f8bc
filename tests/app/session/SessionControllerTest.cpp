#include "app/session/SessionTestSupport.h"

#include "app/session/SessionController.h"
#include "support/ChatLine.h"
#include "twitch-sim/SimChatService.h"

#include <QSignalSpy>

using namespace parley;
using parley::test::ChatLine;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

const QString demoChannel = QString::fromLatin1(sim::demo::userID);
const QString channelQuery = "broadcaster_id=" + demoChannel;

QString roomState()
{
    return QStringLiteral("@emote-only=0;room-id=%1;slow=0 :tmi.twitch.tv ROOMSTATE #%2")
        .arg(demoChannel, QString::fromLatin1(sim::demo::login));
}

class SessionControllerTest : public ::testing::Test {
protected:
    sim::SimChatService& chatService() { return twitch.sim.chat(); }

    // Waits until the session's chat has joined and heard its first room state.
    bool joined()
    {
        return QTest::qWaitFor([&] { return session->chat()->room().has_value(); }, waitMs);
    }
    bool loaded(const EmoteSet& set)
    {
        return QTest::qWaitFor(
            [&] { return session->emoteRegistry()->sets().value(set) == EmoteSetStatus::loaded; }, waitMs);
    }

    SimulatedTwitch twitch;
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
    std::unique_ptr<SessionController> session = std::make_unique<SessionController>(
        *twitch.api, SimulatedTwitch::token(), nullptr, *pipeline);
};

} // namespace

TEST_F(SessionControllerTest, StartsOnTheNextTurnWithTheGlobalSetAndTheUsersOwnChannel)
{
    EXPECT_EQ(session->chat()->channel(), QString::fromLatin1(sim::demo::login));
    EXPECT_EQ(&session->emoteImageLoader()->emoteRegistry(), session->emoteRegistry());
    // Nothing observable happens inside the constructor.
    EXPECT_TRUE(session->emoteRegistry()->sets().isEmpty());
    EXPECT_FALSE(session->isListening());

    QSignalSpy listening(session.get(), &SessionController::isListeningChanged);
    ASSERT_TRUE(listening.wait(waitMs));
    EXPECT_TRUE(session->isListening());
    EXPECT_NE(session->chatListenTask(), nullptr);
    EXPECT_TRUE(session->emoteRegistry()->sets().contains(EmoteSet::global()));

    // The join's room state names the channel whose emotes to fetch.
    ASSERT_TRUE(joined());
    ASSERT_TRUE(loaded(EmoteSet::channel(demoChannel)));
    ASSERT_TRUE(loaded(EmoteSet::global()));
    EXPECT_EQ(twitch.helixRequests(test::globalPath), 1);
    EXPECT_EQ(twitch.helixRequests(test::channelPath, channelQuery), 1);
}

TEST_F(SessionControllerTest, RoomStatesFetchTheChannelUntilItHasLoaded)
{
    twitch.sim.setFault(test::channelPath, sim::HttpFault::delayed(400).forRequests(3));
    ASSERT_TRUE(joined());
    // Two more room states while the first fetch is still running: each asks again.
    chatService().sendText(roomState() + "\r\n" + roomState());
    ASSERT_TRUE(QTest::qWaitFor([&] { return twitch.helixRequests(test::channelPath, channelQuery) == 3; }, waitMs));
    ASSERT_TRUE(loaded(EmoteSet::channel(demoChannel)));

    // Once loaded, a room state asks the registry, which fetches nothing.
    QSignalSpy rooms(session->chat(), &TwitchChat::roomChanged);
    QSignalSpy statuses(session->emoteRegistry(), &EmoteRegistry::setsChanged);
    chatService().sendText(roomState());
    ASSERT_TRUE(rooms.wait(waitMs));
    EXPECT_EQ(statuses.count(), 0); // no status change: no fetch started
    EXPECT_EQ(session->emoteRegistry()->sets().value(EmoteSet::channel(demoChannel)), EmoteSetStatus::loaded);
}

TEST_F(SessionControllerTest, ReleasingTheSessionEndsTheConnectionQuietly)
{
    ASSERT_TRUE(joined());
    ASSERT_EQ(chatService().connectionCount(), 1);
    QSignalSpy errors(session.get(), &SessionController::errors);
    session.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chatService().connectionCount() == 0; }, waitMs));
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(SessionControllerTest, ALostConnectionIsMadeAgainAndARefusedLoginIsReportedOnceAndEndsListening)
{
    ASSERT_TRUE(joined());
    chatService().sendText(ChatLine { QStringLiteral("m1"), QStringLiteral("hello") }.toString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->chat()->messages().size() == 1; }, waitMs));

    QSignalSpy errors(session.get(), &SessionController::errors);
    bool stateStoredFirst = false;
    QObject::connect(session.get(), &SessionController::errors, session.get(),
        [&] { stateStoredFirst = !session->isListening() && !session->lastError().isEmpty(); });
    TwitchChatTiming timing;
    timing.firstRetry = std::chrono::milliseconds(10);
    session->chat()->setTiming(timing);

    // The chat client reconnects by itself; the listen run goes on.
    QSignalSpy states(session->chat(), &TwitchChat::connectionStateChanged);
    chatService().dropConnections();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return states.size() >= 2 &&
                session->chat()->connectionState().phase == TwitchChatConnectionState::Phase::connected;
        },
        waitMs));
    EXPECT_TRUE(session->isListening());
    EXPECT_EQ(errors.count(), 0);

    // Refused on the way back, it ends for good.
    twitch.sim.model().revokeToken(SimulatedTwitch::token().token);
    chatService().dropConnections();
    ASSERT_TRUE(errors.wait(waitMs));
    EXPECT_TRUE(stateStoredFirst);
    EXPECT_FALSE(session->isListening());
    EXPECT_EQ(session->chatListenTask(), nullptr);
    EXPECT_EQ(session->lastError(), describe(errors.first().first().value<std::exception_ptr>()));
    EXPECT_EQ(session->chat()->messages().size(), 1); // what was received stays

    QCoreApplication::processEvents();
    EXPECT_EQ(errors.count(), 1);
}

TEST(SessionControllerToken, ARefusedTokenEndsOnErrors)
{
    SimulatedTwitch twitch;
    TwitchUserAccessToken revoked = SimulatedTwitch::token();
    revoked.token = QStringLiteral("not-a-known-token");
    const auto pipeline = ImagePipeline::create();
    SessionController session(*twitch.api, revoked, nullptr, *pipeline);
    QSignalSpy errors(&session, &SessionController::errors);
    ASSERT_TRUE(errors.wait(waitMs));
    EXPECT_FALSE(session.isListening());
    EXPECT_FALSE(session.lastError().contains(revoked.token));
}
