#include "app/session/SessionTestSupport.h"

#include "app/session/SessionController.h"
#include "support/ChatLine.h"
#include "support/FutureFailure.h"
#include "support/FutureWait.h"
#include "twitch-sim/FaultSpec.h"
#include "twitch-sim/SimChatService.h"

#include <QSignalSpy>

using namespace parley;
using namespace std::chrono_literals;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

const QString viewerID = QStringLiteral("100000003");
const QString bansPath = QStringLiteral("/helix/moderation/bans");

TwitchUserAccessToken moderatorToken()
{
    TwitchUserAccessToken token = SimulatedTwitch::token();
    token.info.scopes += { TwitchAuthScope::moderatorManageChatMessages, TwitchAuthScope::moderatorManageBannedUsers };
    return token;
}

QString clearChat(const QString& tags)
{
    return QStringLiteral("@%1room-id=%2;target-user-id=%3;tmi-sent-ts=1700000000000 :tmi.twitch.tv CLEARCHAT #%4 :sim_viewer")
        .arg(tags, QString::fromLatin1(sim::demo::userID), viewerID, QString::fromLatin1(sim::demo::login));
}

class ModerationActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        moderation().setConflictRetryDelay(50ms);
        ASSERT_TRUE(QTest::qWaitFor([&] { return session->chat()->room().has_value(); }, waitMs));
    }

    ModerationActions& moderation() { return *session->moderation(); }

    // Empty when `done` succeeded, else its failure's description.
    static QString outcome(QFuture<void> done)
    {
        EXPECT_TRUE(test::waitFor(done));
        return test::failureOf(done);
    }

    void fault(const QString& spec) { twitch.sim.setFault(bansPath, sim::parseFaultSpec(spec).value()); }

    SimulatedTwitch twitch;
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
    std::unique_ptr<SessionController> session =
        std::make_unique<SessionController>(*twitch.api, moderatorToken(), nullptr, *pipeline);
};

TEST_F(ModerationActionsTest, AConflictIsTriedOnceMoreAfterTheDelay)
{
    QSignalSpy changes(&moderation(), &ModerationActions::bannedUsersChanged);
    fault(u"status:409,times:1"_qs);
    EXPECT_EQ(outcome(moderation().ban(viewerID)), QString());
    EXPECT_EQ(twitch.sim.requestCount(bansPath), 2);
    EXPECT_TRUE(moderation().isBanned(viewerID));
    EXPECT_EQ(changes.count(), 1);

    // A second conflict is the answer: no third try.
    fault(u"status:409,times:2"_qs);
    const std::optional<TwitchModerationError> error =
        test::awaitError<TwitchModerationError>(moderation().unban(viewerID));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), TwitchModerationError::Code::banConflict);
    EXPECT_EQ(twitch.sim.requestCount(bansPath), 4);
    EXPECT_TRUE(moderation().isBanned(viewerID));
}

TEST_F(ModerationActionsTest, BansFromHereAndFromTheChatMarkTheUserUntilAnUnbanOrATimeout)
{
    ASSERT_EQ(outcome(moderation().ban(viewerID)), QString());
    EXPECT_TRUE(moderation().isBanned(viewerID));
    ASSERT_EQ(outcome(moderation().unban(viewerID)), QString());
    EXPECT_FALSE(moderation().isBanned(viewerID));
    // A failed action changes nothing.
    EXPECT_NE(outcome(moderation().unban(viewerID)), QString());
    EXPECT_FALSE(moderation().isBanned(viewerID));

    // Another moderator's timeout is not a ban; their ban is.
    QSignalSpy changes(&moderation(), &ModerationActions::bannedUsersChanged);
    twitch.sim.chat().sendText(clearChat(u"ban-duration=600;"_qs));
    twitch.sim.chat().sendText(clearChat({}));
    ASSERT_TRUE(changes.wait(waitMs));
    EXPECT_TRUE(moderation().isBanned(viewerID));
    EXPECT_EQ(changes.count(), 1);

    // Twitch moves no banned user into a timeout: one that went through ends the ban.
    // (The simulator knows nothing of the chat line's ban.)
    ASSERT_EQ(outcome(moderation().timeout(viewerID, 60s)), QString());
    EXPECT_FALSE(moderation().isBanned(viewerID));
}

TEST_F(ModerationActionsTest, ADeletedMessageIsShownDeletedWhenTheChatServiceSaysSo)
{
    twitch.sim.chat().sendText(test::ChatLine { .id = u"m-1"_qs, .text = u"spam"_qs }.toString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session->chat()->messages().isEmpty(); }, waitMs));
    ASSERT_EQ(outcome(moderation().deleteMessage(u"m-1"_qs)), QString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return session->chat()->messages().constLast().text()->isDeleted(); }, waitMs));
}

TEST_F(ModerationActionsTest, ATokenWithoutTheModerationScopesStillChatsButCannotModerate)
{
    SessionController chatOnly(*twitch.api, SimulatedTwitch::token(), nullptr, *pipeline);
    EXPECT_TRUE(moderation().canModerate());
    EXPECT_FALSE(chatOnly.moderation()->canModerate());
    const std::optional<TwitchModerationError> error =
        test::awaitError<TwitchModerationError>(chatOnly.moderation()->ban(viewerID));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->userMessage(), u"Sign in again to moderate.");
    EXPECT_EQ(twitch.sim.requestCount(bansPath), 0);
}

} // namespace
