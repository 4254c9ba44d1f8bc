#include "platform/Diagnostics.h"
#include "support/ChatLine.h"
#include "support/FutureFailure.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/chat/TwitchChat.h"
#include "twitch/chat/TwitchChatError.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::sim;
using namespace parley::test;
using namespace std::chrono_literals;
using Phase = TwitchChatConnectionState::Phase;

// A connection that lasts: time limits, keep-alive, reconnects, sends that
// cannot succeed and the bounded history, against the simulator's faults with
// every interval shortened.
namespace {

constexpr int timeout = 10000;

const QString token = QString::fromLatin1(demo::token);
const QString login = QString::fromLatin1(demo::login);

QString chatLine(int number)
{
    return ChatLine { u"m%1"_qs.arg(number), u"line %1"_qs.arg(number) }.toString();
}

TwitchChatTiming fastTiming()
{
    TwitchChatTiming timing;
    timing.handshakeLimit = 300ms;
    timing.idleBeforePing = 10min;
    timing.pingAnswerLimit = 200ms;
    timing.confirmationLimit = 10min;
    timing.firstRetry = 20ms;
    timing.lastRetry = 100ms;
    timing.jitter = 0;
    return timing;
}

class TwitchChatLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    std::unique_ptr<TwitchChat> makeChat(
        const TwitchChatTiming& timing = fastTiming(), std::optional<QString> channel = std::nullopt)
    {
        TwitchEndpoints endpoints;
        endpoints.chatURL = simulator.chatURL();
        TwitchUserAccessToken::Info info;
        info.login = login;
        auto chat = std::make_unique<TwitchChat>(endpoints, TwitchUserAccessToken { token, info }, channel);
        chat->setTiming(timing);
        return chat;
    }

    void waitForPhase(const TwitchChat& chat, Phase phase)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return chat.connectionState().phase == phase; }, timeout))
            << int(chat.connectionState().phase);
    }

    std::unique_ptr<TwitchChatConnection> join(TwitchChat& chat)
    {
        QSignalSpy roomChanged(&chat, &TwitchChat::roomChanged);
        auto connection = chat.connect();
        EXPECT_TRUE(roomChanged.wait(timeout));
        return connection;
    }

    qsizetype loginCount() const { return service.receivedFrames().count(u"JOIN #parley_demo"_qs); }

    DiagnosticsCapture log;
    TwitchSimulator simulator;
    SimChatService& service = simulator.chat();
};

} // namespace

TEST_F(TwitchChatLifetimeTest, TimeLimitsAndKeepAlive)
{
    // A quiet connection is asked, the answer keeps it; the service's own PING
    // is answered with its text.
    TwitchChatTiming timing = fastTiming();
    timing.idleBeforePing = 100ms;
    auto chat = makeChat(timing);
    auto connection = join(*chat);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.receivedFrames().contains(u"PING :tmi.twitch.tv"_qs); }, timeout));
    service.sendText(u"PING :tmi.twitch.tv"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.pongCount() == 1; }, timeout));
    EXPECT_EQ(service.receivedFrames().filter(u"PONG"_qs), QStringList { u"PONG :tmi.twitch.tv"_qs });
    EXPECT_EQ(chat->connectionState().phase, Phase::connected);
    EXPECT_EQ(loginCount(), 1);

    // Unanswered, the connection is dead and is made again.
    service.setStalled(true);
    waitForPhase(*chat, Phase::reconnecting);
    EXPECT_EQ(chat->connectionState().errorDescription(), u"The chat service stopped answering.");
    service.setStalled(false);
    waitForPhase(*chat, Phase::connected);
    EXPECT_TRUE(connection->isRunning());
}

TEST_F(TwitchChatLifetimeTest, AFirstConnectionThatCannotBeMadeIsTriedAgainUnlessTheLoginIsRefused)
{
    // Offline at launch: the tries wait longer each time and the run goes on
    // until it is cancelled.
    TwitchEndpoints offline;
    offline.chatURL = QUrl(u"ws://127.0.0.1:1"_qs);
    TwitchChat unreachable(offline, TwitchUserAccessToken { token, {} });
    unreachable.setTiming(fastTiming());
    auto tries = unreachable.connect();
    waitForPhase(unreachable, Phase::reconnecting);
    EXPECT_TRUE(unreachable.connectionState().error);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return log.lines().filter(u"TwitchChat.reconnecting: in"_qs).size() >= 3; }, timeout));
    EXPECT_EQ(log.lines().filter(u"TwitchChat.reconnecting: in"_qs).mid(0, 3),
        (QStringList { u"TwitchChat.reconnecting: in 20 ms"_qs, u"TwitchChat.reconnecting: in 40 ms"_qs,
            u"TwitchChat.reconnecting: in 80 ms"_qs }));
    EXPECT_TRUE(tries->isRunning());
    tries->cancel();
    EXPECT_FALSE(tries->error());
    EXPECT_EQ(unreachable.connectionState().phase, Phase::disconnected);

    // A service that takes the connection but does not welcome it in time is
    // tried again, and joined once it answers.
    service.setStalled(true);
    auto chat = makeChat();
    QSignalSpy roomChanged(chat.get(), &TwitchChat::roomChanged);
    auto connection = chat->connect();
    EXPECT_EQ(chat->connectionState().phase, Phase::connecting);
    waitForPhase(*chat, Phase::reconnecting);
    EXPECT_EQ(chat->connectionState().errorDescription(), u"The chat service did not answer.");
    service.setStalled(false);
    ASSERT_TRUE(roomChanged.wait(timeout));
    EXPECT_EQ(chat->connectionState().phase, Phase::connected);
    EXPECT_TRUE(connection->isRunning());

    // A login refused on the first connection ends the run without more tries.
    simulator.model().revokeToken(token);
    auto refused = makeChat();
    auto run = refused->connect();
    QSignalSpy finished(run.get(), &TwitchChatConnection::finished);
    ASSERT_TRUE(finished.wait(timeout));
    EXPECT_EQ(run->errorDescription(), u"Login authentication failed");
    EXPECT_EQ(refused->connectionState().phase, Phase::failed);
}

TEST_F(TwitchChatLifetimeTest, ALostConnectionIsMadeAgainAfterGrowingWaits)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    service.sendText(chatLine(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat->messages().size() == 1; }, timeout));
    const std::optional<RoomState> room = chat->room();
    QSignalSpy states(chat.get(), &TwitchChat::connectionStateChanged);

    // Tries that fail before the welcome each wait longer, up to the last wait.
    service.setStalled(true);
    service.dropConnections();
    waitForPhase(*chat, Phase::reconnecting);
    EXPECT_TRUE(chat->connectionState().error);
    EXPECT_EQ(chat->connectionState().secondsUntilRetry, 1);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return log.lines().filter(u"TwitchChat.reconnecting: in"_qs).size() >= 5; }, timeout));
    EXPECT_EQ(log.lines().filter(u"TwitchChat.reconnecting: in"_qs).mid(0, 5),
        (QStringList { u"TwitchChat.reconnecting: in 20 ms"_qs, u"TwitchChat.reconnecting: in 40 ms"_qs,
            u"TwitchChat.reconnecting: in 80 ms"_qs, u"TwitchChat.reconnecting: in 100 ms"_qs,
            u"TwitchChat.reconnecting: in 100 ms"_qs }));

    // No sends while waiting; once back, the same login, the history kept.
    if (!chat->isConnected())
        EXPECT_EQ(failureOf(chat->send(u"lost"_qs)), u"Not connected to chat.");
    service.setStalled(false);
    waitForPhase(*chat, Phase::connected);
    EXPECT_TRUE(connection->isRunning());
    EXPECT_EQ(chat->messages().size(), 1);
    EXPECT_EQ(chat->room(), room);
    EXPECT_EQ(service.receivedFrames().mid(0, 4), service.receivedFrames().mid(service.receivedFrames().size() - 4));
    EXPECT_FALSE(chat->connectionState().error);
    EXPECT_GT(states.size(), 2);

    // A refused login ends the run for good.
    simulator.model().revokeToken(token);
    service.dropConnections();
    QSignalSpy finished(connection.get(), &TwitchChatConnection::finished);
    ASSERT_TRUE(finished.wait(timeout));
    EXPECT_EQ(connection->errorDescription(), u"Login authentication failed");
    EXPECT_EQ(chat->connectionState().phase, Phase::failed);
    const qsizetype logins = loginCount();
    QTest::qWait(200);
    EXPECT_EQ(loginCount(), logins);
}

TEST_F(TwitchChatLifetimeTest, TheServicesReconnectMovesToANewConnectionWithoutALoss)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy states(chat.get(), &TwitchChat::connectionStateChanged);
    QSignalSpy closed(&service, &SimChatService::connectionClosed);
    QSignalSpy joined(&service, &SimChatService::clientJoined);

    service.sendReconnect();
    ASSERT_TRUE(joined.wait(timeout));
    ASSERT_TRUE(closed.size() == 1 || closed.wait(timeout)) << "the old one closes once the new one joined";
    EXPECT_EQ(service.connectionCount(), 1);
    EXPECT_EQ(states.size(), 0) << "connected throughout";

    // The new connection carries the chat: sends and messages, none twice.
    QFuture<void> sent = chat->send(u"after the move"_qs);
    service.sendText(chatLine(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.isFinished() && chat->messages().size() == 2; }, timeout));
    EXPECT_EQ(failureOf(sent), QString());
    EXPECT_TRUE(connection->isRunning());
}

TEST_F(TwitchChatLifetimeTest, SendsThatCannotSucceedFail)
{
    TwitchChatTiming timing = fastTiming();
    timing.confirmationLimit = 200ms;
    auto chat = makeChat(timing);
    auto connection = join(*chat);
    QSignalSpy confirmed(chat.get(), &TwitchChat::ownMessageConfirmed);

    // A refusal fails the oldest pending message with the service's text; the
    // next one is confirmed as itself.
    service.setAnswerDelay(50ms);
    service.refuseMessages(u"msg_duplicate"_qs, u"Your message was not sent because it is identical."_qs);
    QFuture<void> refused = chat->send(u"same"_qs);
    QFuture<void> accepted = chat->send(u"different"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted.isFinished(); }, timeout));
    EXPECT_EQ(failureOf(refused), u"Your message was not sent because it is identical.");
    EXPECT_EQ(failureOf(accepted), QString());
    ASSERT_EQ(confirmed.size(), 1);
    EXPECT_EQ(confirmed.at(0).at(0).value<TwitchChatTextMessage>().body(), u"different");

    // Without an answer the message is dropped after the limit.
    service.setStalled(true);
    QFuture<void> unanswered = chat->send(u"into the void"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return unanswered.isFinished(); }, timeout));
    EXPECT_EQ(failureOf(unanswered), u"The chat service did not confirm the message.");
    EXPECT_TRUE(chat->pendingMessages().isEmpty());
}

TEST_F(TwitchChatLifetimeTest, TheRateLimitIsNeverPassed)
{
    const auto burst = [this](TwitchChat& chat, int count) {
        QStringList failures;
        for (int i = 0; i < count; ++i)
            if (QFuture<void> sent = chat.send(QString::number(i)); sent.isFinished())
                failures.append(failureOf(sent));
        return failures;
    };
    service.setStalled(true); // no echoes needed

    // The broadcaster in their own channel may send 100 in the window.
    auto own = makeChat();
    auto ownConnection = own->connect();
    const QStringList ownFailures = burst(*own, 110);
    EXPECT_EQ(ownFailures, QStringList(10, u"You are sending messages too quickly."_qs));
    EXPECT_EQ(own->pendingMessages().size(), 100);

    // Elsewhere, 20.
    auto other = makeChat(fastTiming(), u"elsewhere"_qs);
    auto otherConnection = other->connect();
    EXPECT_EQ(burst(*other, 25).size(), 5);
    EXPECT_EQ(other->pendingMessages().size(), 20);
}

TEST_F(TwitchChatLifetimeTest, TheHistoryKeepsTheNewestMessages)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QList<qsizetype> drops;
    qsizetype appended = 0;
    QObject::connect(chat.get(), &TwitchChat::messagesDropped, chat.get(), [&](qsizetype count) {
        EXPECT_EQ(appended, TwitchChat::maxMessages) << "announced before the append";
        drops.append(count);
    });
    QObject::connect(chat.get(), &TwitchChat::messageAppended, chat.get(), [&] { appended = chat->messages().size(); });

    QStringList lines;
    for (int i = 0; i < TwitchChat::maxMessages + 5; ++i)
        lines.append(chatLine(i));
    QStringList frames;
    for (qsizetype i = 0; i < lines.size(); i += 100)
        frames.append(lines.mid(i, 100).join(u"\r\n"_qs));
    DiagnosticsSilence quiet;
    service.flood(frames);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !chat->messages().isEmpty() && chat->messages().constLast().id() == u"m10004"; }, timeout));

    EXPECT_EQ(drops, QList<qsizetype>(5, 1));
    EXPECT_EQ(chat->messages().size(), TwitchChat::maxMessages);
    EXPECT_EQ(chat->messages().constFirst().id(), u"m5");

    // Deletions find their targets where the messages are now; a dropped
    // message is not found.
    QSignalSpy updated(chat.get(), &TwitchChat::messageUpdated);
    const auto clearLine = [&](const QString& tags, const QString& command) {
        return u"@%1 :tmi.twitch.tv %2 #%3 :v"_qs.arg(tags, command, login);
    };
    service.sendText(clearLine(u"login=v;target-msg-id=m3"_qs, u"CLEARMSG"_qs) + u"\r\n"_qs +
        clearLine(u"login=v;target-msg-id=m6"_qs, u"CLEARMSG"_qs) + u"\r\n"_qs +
        clearLine(u"target-user-id=7;tmi-sent-ts=1700000000000"_qs, u"CLEARCHAT"_qs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return updated.size() == TwitchChat::maxMessages; }, timeout));
    EXPECT_EQ(updated.at(0).at(0).value<qsizetype>(), 1);
    EXPECT_EQ(updated.at(1).at(0).value<qsizetype>(), TwitchChat::maxMessages - 1) << "newest first";
    EXPECT_EQ(updated.constLast().at(0).value<qsizetype>(), 0);
    EXPECT_EQ(chat->messages().constFirst().id(), u"m6") << "the ban's line pushed the oldest out";
    EXPECT_EQ(chat->messages().constLast().kind(), TwitchChatMessage::Kind::system);
}

// Qt's WebSocket decodes each fragment on its own and closes with 1007 when
// one ends inside a character; the chat then only loses that connection.
TEST_F(TwitchChatLifetimeTest, ATextMessageFragmentedInsideACharacterCostsOnlyTheConnection)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy states(chat.get(), &TwitchChat::connectionStateChanged);

    service.sendTextSplitInCharacter(chatLine(1) + u" \u00e9"_qs);

    ASSERT_TRUE(states.wait(timeout));
    waitForPhase(*chat, Phase::connected);
    EXPECT_TRUE(connection->isRunning());
    EXPECT_FALSE(log.lines().filter(u"TwitchChat.connectionLost: "_qs).isEmpty());
}
