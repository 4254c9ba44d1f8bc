#include "app/session/SessionTestSupport.h"

#include "app/session/SessionController.h"
#include "platform/Diagnostics.h"
#include "support/ChatLine.h"
#include "twitch-sim/FaultSpec.h"
#include "twitch-sim/SimChatService.h"

using namespace parley;
using parley::test::ChatLine;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

const QString historyPath = QStringLiteral("/recent-messages/api/v2/recent-messages/") +
    QString::fromLatin1(sim::demo::login);

// "id" for a live message, "id*" for a historical one, "id~" for a deleted
// one; a system line by its text.
QStringList shown(const TwitchChat& chat)
{
    QStringList shown;
    for (const TwitchChatMessage& message : chat.messages()) {
        const TwitchChatTextMessage* text = message.text();
        shown.append(text
                ? text->id() + (text->isHistorical() ? u"*"_qs : QString()) + (text->isDeleted() ? u"~"_qs : QString())
                : message.system()->text);
    }
    return shown;
}

class SessionRecentMessagesTest : public ::testing::Test {
protected:
    // The recent chat service starts keeping the channel's chat once someone
    // is in it: another viewer's session, here.
    void SetUp() override { ASSERT_TRUE(joined(listener)); }

    std::unique_ptr<SessionController> makeSession(bool loadsRecentMessages)
    {
        auto session = std::make_unique<SessionController>(*twitch.api, SimulatedTwitch::token(), nullptr, *pipeline,
            std::nullopt, RecentMessagesService { twitch.sim.recentMessagesURL(), "Parley/1.2.3" });
        session->setLoadsRecentMessages(loadsRecentMessages);
        return session;
    }

    bool joined(SessionController& session)
    {
        return QTest::qWaitFor([&] { return session.chat()->room().has_value(); }, waitMs);
    }

    // Sends a viewer's line and waits until `session` has it.
    bool deliver(SessionController& session, const QString& id)
    {
        const qsizetype before = session.chat()->messages().size();
        twitch.sim.chat().sendText(ChatLine { id, u"text "_qs + id }.toString());
        return QTest::qWaitFor([&] { return session.chat()->messages().size() > before; }, waitMs);
    }

    DiagnosticsSilence silence;
    SimulatedTwitch twitch;
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
    SessionController listener { *twitch.api, SimulatedTwitch::token(), nullptr, *pipeline };
};

} // namespace

TEST_F(SessionRecentMessagesTest, JoiningShowsTheRecentChatBeforeTheLiveChatAndEachMessageOnce)
{
    ASSERT_TRUE(deliver(listener, u"m1"_qs));
    ASSERT_TRUE(deliver(listener, u"m2"_qs));
    // The history comes after m3 has arrived live, and holds it too.
    twitch.sim.setFault(historyPath, sim::parseFaultSpec(u"delay:700,times:1"_qs).value());
    auto session = makeSession(true);
    ASSERT_TRUE(joined(*session));
    ASSERT_TRUE(deliver(*session, u"m3"_qs));

    ASSERT_TRUE(QTest::qWaitFor([&] { return session->chat()->messages().size() == 4; }, waitMs));
    const QStringList rows = shown(*session->chat());
    EXPECT_TRUE(rows.at(0).endsWith(u"*~")) << "the stand-in's line a moderator deleted";
    EXPECT_EQ(rows.sliced(1), (QStringList { u"m1*"_qs, u"m2*"_qs, u"m3"_qs }));

    // A reconnect after the connection was down asks again; nothing shows twice.
    TwitchChatTiming timing;
    timing.firstRetry = std::chrono::milliseconds(10);
    session->chat()->setTiming(timing);
    twitch.sim.chat().dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([&] { return twitch.sim.requestCount(historyPath) == 2; }, waitMs));
    ASSERT_TRUE(joined(listener));
    ASSERT_TRUE(deliver(*session, u"m4"_qs));
    EXPECT_EQ(shown(*session->chat()).sliced(1), (QStringList { u"m1*"_qs, u"m2*"_qs, u"m3"_qs, u"m4"_qs }));
}

TEST_F(SessionRecentMessagesTest, NothingGoesToTheServiceUntilTheUserTurnsItOn)
{
    ASSERT_TRUE(deliver(listener, u"m1"_qs));
    auto session = makeSession(false);
    ASSERT_TRUE(joined(*session));
    ASSERT_TRUE(deliver(*session, u"m2"_qs));
    EXPECT_EQ(twitch.sim.requestCount(historyPath), 0);

    // Turned on while joined, it asks once for this connection.
    session->setLoadsRecentMessages(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->chat()->messages().size() == 3; }, waitMs));
    EXPECT_EQ(shown(*session->chat()).sliced(1), (QStringList { u"m1*"_qs, u"m2"_qs }));
    session->setLoadsRecentMessages(false);
    session->setLoadsRecentMessages(true);
    ASSERT_TRUE(deliver(*session, u"m3"_qs));
    EXPECT_EQ(twitch.sim.requestCount(historyPath), 1);
}

TEST_F(SessionRecentMessagesTest, AFailingServiceIsToldInTheChatWhichGoesOn)
{
    const QList<std::pair<QString, QString>> faults {
        { u"status:403"_qs, u"The recent chat service does not keep this channel's chat."_qs },
        { u"status:500"_qs, u"The recent chat service answered with status 500."_qs },
        { u"truncate:15"_qs, u"The recent chat service's answer could not be read."_qs },
    };
    for (const auto& [fault, reason] : faults) {
        twitch.sim.setFault(historyPath, sim::parseFaultSpec(fault + u",times:1"_qs).value());
        auto session = makeSession(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session->chat()->messages().isEmpty(); }, waitMs))
            << fault.toStdString();
        EXPECT_EQ(shown(*session->chat()), QStringList { u"Recent chat could not be loaded: "_qs + reason });
        ASSERT_TRUE(joined(*session));
        ASSERT_TRUE(deliver(*session, u"live"_qs)) << fault.toStdString();
        EXPECT_TRUE(session->isListening());
    }
}
