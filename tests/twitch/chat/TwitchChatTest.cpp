#include "twitch/chat/TwitchChat.h"
#include "platform/Diagnostics.h"
#include "platform/ErrorPresenter.h"
#include "support/ChatLine.h"
#include "support/FutureFailure.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/chat/WebSocketError.h"

#include <chrono>

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::sim;
using namespace parley::test;

namespace {

constexpr int timeout = 10000;

const QString token = QString::fromLatin1(demo::token);
const QString login = QString::fromLatin1(demo::login);
const QString roomID = QString::fromLatin1(demo::userID);

QString confirmation(const QString& tags)
{
    return QStringLiteral("@%1 :tmi.twitch.tv USERSTATE #%2").arg(tags, login);
}

// The bodies of the text messages (system lines left out).
QStringList bodies(const TwitchChat& chat)
{
    QStringList bodies;
    for (const TwitchChatMessage& message : chat.messages())
        if (message.text())
            bodies.append(message.text()->body());
    return bodies;
}

class TwitchChatTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    std::unique_ptr<TwitchChat> makeChat(const QString& accessToken = token)
    {
        TwitchEndpoints endpoints;
        endpoints.chatURL = simulator.chatURL();
        TwitchUserAccessToken::Info info;
        info.login = login;
        return std::make_unique<TwitchChat>(endpoints, TwitchUserAccessToken { accessToken, info });
    }

    // Connects and waits until the client has the room state sent after JOIN.
    std::unique_ptr<TwitchChatConnection> join(TwitchChat& chat)
    {
        QSignalSpy roomChanged(&chat, &TwitchChat::roomChanged);
        auto connection = chat.connect();
        EXPECT_TRUE(roomChanged.wait(timeout));
        return connection;
    }

    // Sends one scripted frame and waits until the client has logged its last line.
    void deliver(const QString& frame)
    {
        service.sendText(frame);
        const QString last = QStringLiteral("TwitchChat.msgReceived: ") + frame.split(u"\r\n"_qs).constLast();
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.lines().contains(last); }, timeout));
    }

    DiagnosticsCapture log;
    TwitchSimulator simulator;
    SimChatService& service = simulator.chat();
};

} // namespace

TEST_F(TwitchChatTest, ConnectSendsTheFourFramesAndJoins)
{
    auto chat = makeChat();
    auto connection = join(*chat);

    EXPECT_EQ(service.receivedFrames(),
        (QStringList { u"CAP REQ :twitch.tv/commands twitch.tv/tags"_qs, u"PASS oauth:"_qs + token,
            u"NICK parley_demo"_qs, u"JOIN #parley_demo"_qs }));
    EXPECT_TRUE(connection->isRunning());
    EXPECT_TRUE(chat->isConnected());
    EXPECT_EQ(chat->room()->id, roomID);
    EXPECT_TRUE(log.lines().contains(u"TwitchChat.msgReceived: :tmi.twitch.tv 001 parley_demo :Welcome, GLHF!"_qs));
    EXPECT_TRUE(chat->messages().isEmpty());

    // A second connect while connected sends nothing and ends at once.
    auto second = chat->connect();
    QSignalSpy finished(second.get(), &TwitchChatConnection::finished);
    EXPECT_FALSE(second->isRunning());
    EXPECT_FALSE(second->error());
    EXPECT_TRUE(finished.wait(timeout));
    EXPECT_EQ(service.receivedFrames().size(), 4);
    EXPECT_TRUE(connection->isRunning());

    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(token)) << line.toStdString();
}

TEST_F(TwitchChatTest, APingInTheSameFrameAsAChatLineIsAnswered)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    deliver(u"PING :tmi.twitch.tv\r\n"_qs + ChatLine { u"m1"_qs, u"hello"_qs }.toString());

    EXPECT_EQ(bodies(*chat), QStringList { u"hello"_qs });
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.pongCount() == 1; }, timeout));
    EXPECT_EQ(service.receivedFrames().constLast(), u"PONG :tmi.twitch.tv"_qs);
}

TEST_F(TwitchChatTest, SplitsFramesAtCarriageReturnLineFeedOnly)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy appended(chat.get(), &TwitchChat::messageAppended);

    deliver(u"\r\n"_qs + ChatLine { u"m1"_qs, u"one\ntwo\rthree"_qs }.toString() + u"\r\n\r\n"_qs +
        ChatLine { u"m2"_qs, u"four"_qs }.toString());

    EXPECT_EQ(bodies(*chat), (QStringList { u"one\ntwo\rthree"_qs, u"four"_qs }));
    ASSERT_EQ(appended.size(), 2);
    EXPECT_EQ(appended.at(1).at(0).value<TwitchChatMessage>().id(), u"m2"_qs);
}

TEST_F(TwitchChatTest, TheOldestPendingMessageIsConfirmedByAUserStateWithIDAndBroadcasterBadge)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy confirmed(chat.get(), &TwitchChat::ownMessageConfirmed);
    service.setStalled(true); // the service's own echo would confirm at once

    QFuture<void> first = chat->send(u"first"_qs);
    QFuture<void> second = chat->send(u"second"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.receivedFrames().size() == 6; }, timeout));
    EXPECT_EQ(service.receivedFrames().mid(4),
        (QStringList { u"PRIVMSG #parley_demo :first"_qs, u"PRIVMSG #parley_demo :second"_qs }));
    EXPECT_FALSE(first.isFinished() || second.isFinished()) << "they finish when confirmed";
    ASSERT_EQ(chat->pendingMessages().size(), 2);
    const PendingMessage oldest = chat->pendingMessages().first();
    service.setStalled(false);

    // None of these confirms anything.
    deliver(QStringList { confirmation(u"badges=broadcaster/1;display-name=Demo"_qs),
        confirmation(u"badges=broadcaster/0;id=x1"_qs), confirmation(u"badges=subscriber/3,moderator/1;id=x2"_qs),
        confirmation(u"badges=;id=x3"_qs) }
                .join(u"\r\n"_qs));
    EXPECT_TRUE(chat->messages().isEmpty());
    EXPECT_EQ(chat->pendingMessages().size(), 2);

    deliver(confirmation(u"badges=broadcaster/1;color=#FF0000;display-name=Demo;id=own1;user-type="_qs));
    ASSERT_EQ(chat->messages().size(), 1);
    const TwitchChatTextMessage& own = *chat->messages().constLast().text();
    EXPECT_EQ(own.id(), u"own1"_qs);
    EXPECT_EQ(own.body(), u"first"_qs);
    EXPECT_EQ(own.sentAt(), oldest.sentAt);
    EXPECT_EQ(own.displayName(), u"Demo"_qs);
    EXPECT_TRUE(own.isBroadcaster());
    EXPECT_EQ(confirmed.size(), 1);
    EXPECT_TRUE(first.isFinished());
    EXPECT_FALSE(second.isFinished());
    ASSERT_EQ(chat->pendingMessages().size(), 1);
    EXPECT_EQ(chat->pendingMessages().first().body, u"second"_qs);
}

TEST_F(TwitchChatTest, TheServicesEchoConfirmsASentMessage)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy confirmed(chat.get(), &TwitchChat::ownMessageConfirmed);

    chat->send(u"hello  there :)"_qs);

    ASSERT_TRUE(confirmed.wait(timeout));
    EXPECT_EQ(bodies(*chat), QStringList { u"hello  there :)"_qs });
    EXPECT_TRUE(chat->pendingMessages().isEmpty());
}

TEST_F(TwitchChatTest, AReplyCarriesItsParentInAClientTagAndIsConfirmedLikeAnyMessage)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy confirmed(chat.get(), &TwitchChat::ownMessageConfirmed);

    chat->send(u"agreed"_qs, u"b34ccfc7-4977-403a-8a94-33c6bac34fb8"_qs);

    ASSERT_TRUE(confirmed.wait(timeout));
    EXPECT_EQ(service.receivedFrames().constLast(),
        u"@reply-parent-msg-id=b34ccfc7-4977-403a-8a94-33c6bac34fb8 PRIVMSG #parley_demo :agreed"_qs);
    EXPECT_EQ(bodies(*chat), QStringList { u"agreed"_qs });
}

TEST_F(TwitchChatTest, LineBreaksInASentMessageCannotStartACommand)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy confirmed(chat.get(), &TwitchChat::ownMessageConfirmed);

    chat->send(u"hi\r\nJOIN #elsewhere\nPART #parley_demo"_qs);

    ASSERT_TRUE(confirmed.wait(timeout));
    EXPECT_EQ(service.receivedFrames().constLast(), u"PRIVMSG #parley_demo :hi  JOIN #elsewhere PART #parley_demo"_qs);
    EXPECT_EQ(bodies(*chat), QStringList { u"hi  JOIN #elsewhere PART #parley_demo"_qs });
}

TEST_F(TwitchChatTest, SendingWhileTheHandshakeRunsFollowsTheConnectFrames)
{
    auto chat = makeChat();
    auto connection = chat->connect();
    QFuture<void> sent = chat->send(u"early"_qs);
    EXPECT_FALSE(sent.isFinished());
    EXPECT_EQ(chat->pendingMessages().size(), 1);

    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.isFinished(); }, timeout));
    EXPECT_EQ(service.receivedFrames().at(4), u"PRIVMSG #parley_demo :early"_qs);
}

TEST_F(TwitchChatTest, SendingWithoutAConnectionFails)
{
    auto chat = makeChat();
    QFuture<void> sent = chat->send(u"hello"_qs);
    ASSERT_TRUE(sent.isFinished());
    EXPECT_EQ(failureOf(sent), u"Not connected to chat.");
    EXPECT_TRUE(chat->pendingMessages().isEmpty());
    EXPECT_EQ(service.connectionCount(), 0);
}

TEST_F(TwitchChatTest, EachRoomStateIsMergedIntoTheLastOneOfTheSameRoom)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy roomChanged(chat.get(), &TwitchChat::roomChanged);
    const QString prefix = u"@room-id="_qs + roomID;
    const QString suffix = u" :tmi.twitch.tv ROOMSTATE #parley_demo"_qs;

    deliver(prefix + u";emote-only=1;followers-only=1;slow=1;subs-only=1"_qs + suffix);
    EXPECT_TRUE(chat->room()->isEmoteOnly && chat->room()->isFollowersOnly && chat->room()->isSubscribersOnly);

    // The service sends only what changed; the rest keeps its value.
    deliver(prefix + u";slow=0"_qs + suffix);
    EXPECT_EQ(chat->room(), (RoomState { roomID, true, true, false, true }));

    deliver(u"@slow=0"_qs + suffix);
    EXPECT_EQ(chat->room(), (RoomState { roomID, true, true, false, true }));
    EXPECT_TRUE(log.lines().contains(u"TwitchChat.roomStateMsgParseFailed: not a valid ROOMSTATE msg"_qs));

    // Another room starts from all off.
    deliver(u"@room-id=99;slow=5"_qs + suffix);
    EXPECT_EQ(chat->room(), (RoomState { u"99"_qs, false, false, true, false }));
    EXPECT_EQ(roomChanged.size(), 3);
}

TEST_F(TwitchChatTest, BadLinesAreLoggedAndTheLoopGoesOn)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    log.takeLines();

    deliver(u"@mystery=1 :tmi.twitch.tv NOTICE #parley_demo :hi\r\n:tmi.twitch.tv CAP * ACK :x\r\n"_qs +
        ChatLine { u"m1"_qs, u"still here"_qs }.toString());
    service.sendBinary(QByteArray("PING :binary"));
    service.sendMalformedLines();
    deliver(ChatLine { u"m2"_qs, u"and here"_qs }.toString());

    const QStringList lines = log.lines();
    EXPECT_EQ(lines.count(u"TwitchChat.IRCMessage.unknownTag: mystery"_qs), 1);
    EXPECT_GE(lines.filter(u"TwitchChat.handleMsgFailed: "_qs).size(), 6);
    EXPECT_TRUE(lines.filter(u"binary"_qs).isEmpty()); // binary frames are ignored
    EXPECT_EQ(bodies(*chat), (QStringList { u"still here"_qs, u"and here"_qs }));
    EXPECT_TRUE(connection->isRunning());
}

TEST_F(TwitchChatTest, AnOverLongLineIsReceivedWhole)
{
    auto chat = makeChat();
    auto connection = join(*chat);

    service.sendOverlongLine(1024 * 1024);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !chat->messages().isEmpty(); }, timeout));
    EXPECT_EQ(chat->messages().constLast().text()->body(), QString(1024 * 1024, u'x'));
    EXPECT_TRUE(connection->isRunning());
}

TEST_F(TwitchChatTest, AMessageBeyondTheSizeBoundEndsTheConnection)
{
    auto chat = makeChat();
    auto connection = join(*chat);

    service.sendOverlongLine(17 * 1024 * 1024);

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !log.lines().filter(u"TwitchChat.connectionLost: "_qs).isEmpty(); }, timeout));
    EXPECT_TRUE(chat->messages().isEmpty());
    EXPECT_TRUE(connection->isRunning()) << "a lost connection is made again";
}

TEST_F(TwitchChatTest, CancellingEndsNormallyAndKeepsWhatWasReceived)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    deliver(ChatLine { u"m1"_qs, u"before"_qs }.toString());
    QSignalSpy finished(connection.get(), &TwitchChatConnection::finished);
    QSignalSpy closed(&service, &SimChatService::connectionClosed);

    connection->cancel();

    EXPECT_FALSE(connection->isRunning());
    EXPECT_FALSE(connection->error());
    EXPECT_FALSE(chat->isConnected());
    ASSERT_TRUE(finished.wait(timeout));
    ASSERT_TRUE(closed.size() == 1 || closed.wait(timeout));

    // A new connection appends to the same list.
    auto again = join(*chat);
    deliver(ChatLine { u"m2"_qs, u"after"_qs }.toString());
    EXPECT_EQ(bodies(*chat), (QStringList { u"before"_qs, u"after"_qs }));
    EXPECT_EQ(finished.size(), 1);
}

// The owner of a run typically takes its outcome and drops it in the handler.
TEST_F(TwitchChatTest, ABadTokenEndsInTheServersRefusal)
{
    const QString badToken = u"not-a-known-token"_qs;
    auto chat = makeChat(badToken);
    auto connection = chat->connect();
    QString description;
    QObject::connect(connection.get(), &TwitchChatConnection::finished, chat.get(), [&] {
        description = connection->errorDescription();
        connection.reset();
    });

    ASSERT_TRUE(QTest::qWaitFor([&] { return !connection; }, timeout));
    EXPECT_EQ(description, u"Login authentication failed");
    EXPECT_EQ(chat->connectionState().phase, TwitchChatConnectionState::Phase::failed);
    EXPECT_TRUE(
        log.lines().contains(u"TwitchChat.msgReceived: :tmi.twitch.tv NOTICE * :Login authentication failed"_qs));
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(badToken));
}

TEST_F(TwitchChatTest, NoServerFailsTheQueuedSendAndTheConnectionIsTriedAgain)
{
    TwitchEndpoints endpoints;
    endpoints.chatURL = QUrl(u"ws://127.0.0.1:1"_qs);
    TwitchChat unreachable(endpoints, TwitchUserAccessToken { token, {} });
    auto connection = unreachable.connect();
    QSignalSpy states(&unreachable, &TwitchChat::connectionStateChanged);
    QFuture<void> sent = unreachable.send(u"never sent"_qs);

    ASSERT_TRUE(states.wait(timeout));
    EXPECT_EQ(unreachable.connectionState().phase, TwitchChatConnectionState::Phase::reconnecting);
    EXPECT_TRUE(connection->isRunning());
    EXPECT_FALSE(unreachable.isConnected());
    // The send fails with the socket's error; a message that never went out
    // is not left waiting for a confirmation.
    ASSERT_TRUE(sent.isFinished());
    EXPECT_THROW(sent.waitForFinished(), WebSocketError);
    EXPECT_TRUE(unreachable.pendingMessages().isEmpty());
}

TEST_F(TwitchChatTest, AnUnusableAddressFailsTheConnection)
{
    TwitchEndpoints endpoints;
    endpoints.chatURL = QUrl(u"http://127.0.0.1:1"_qs);
    TwitchChat chat(endpoints, TwitchUserAccessToken { token, {} });
    auto connection = chat.connect();
    QSignalSpy finished(connection.get(), &TwitchChatConnection::finished);

    ASSERT_TRUE(finished.wait(timeout));
    EXPECT_EQ(connection->errorDescription(), u"Not a chat service address: http://127.0.0.1:1");
    EXPECT_EQ(chat.connectionState().phase, TwitchChatConnectionState::Phase::failed);
    EXPECT_FALSE(chat.isConnected());
}

TEST_F(TwitchChatTest, DestroyingTheClientEndsItsConnection)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy closed(&service, &SimChatService::connectionClosed);

    chat.reset();

    EXPECT_FALSE(connection->isRunning());
    EXPECT_FALSE(connection->error());
    EXPECT_TRUE(closed.wait(timeout));
    connection->cancel(); // harmless once the client is gone
}

TEST_F(TwitchChatTest, AnObserverMayDestroyTheClientWhileAFrameIsHandled)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QObject::connect(chat.get(), &TwitchChat::messageAppended, chat.get(), [&] { chat.reset(); });

    service.sendText(
        ChatLine { u"m1"_qs, u"one"_qs }.toString() + u"\r\n"_qs + ChatLine { u"m2"_qs, u"two"_qs }.toString());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !chat; }, timeout));
    EXPECT_FALSE(connection->isRunning());
    EXPECT_FALSE(log.lines().contains(u"TwitchChat.msgReceived: "_qs + ChatLine { u"m2"_qs, u"two"_qs }.toString()));
}

TEST_F(TwitchChatTest, AnObserverMayCancelWhileAFrameIsHandled)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QObject::connect(chat.get(), &TwitchChat::messageAppended, chat.get(), [&] { connection.reset(); });

    service.sendText(
        ChatLine { u"m1"_qs, u"one"_qs }.toString() + u"\r\n"_qs + ChatLine { u"m2"_qs, u"two"_qs }.toString());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !connection; }, timeout));
    EXPECT_EQ(bodies(*chat), QStringList { u"one"_qs });
    EXPECT_FALSE(chat->isConnected());
}

TEST_F(TwitchChatTest, ModeratorsDeleteMessagesInPlaceAndTimeoutsBansAndClearsAreShown)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QString otherUser = ChatLine { u"m3"_qs, u"other"_qs }.toString();
    otherUser.replace(u"user-id=7;"_qs, u"user-id=8;"_qs);
    deliver(ChatLine { u"m1"_qs, u"one"_qs }.toString() + u"\r\n"_qs + ChatLine { u"m2"_qs, u"two"_qs }.toString() +
        u"\r\n"_qs + otherUser);
    QSignalSpy updated(chat.get(), &TwitchChat::messageUpdated);
    const auto isDeleted = [&](qsizetype index) { return chat->messages().at(index).text()->isDeleted(); };

    deliver(u"@login=viewer;target-msg-id=m1;tmi-sent-ts=1700000000000 :tmi.twitch.tv CLEARMSG #parley_demo :one"_qs);
    ASSERT_EQ(chat->messages().size(), 3);
    EXPECT_TRUE(isDeleted(0));
    EXPECT_EQ(chat->messages().at(0).text()->body(), u"one") << "the view replaces the text";
    ASSERT_EQ(updated.size(), 1);
    EXPECT_EQ(updated.at(0).at(0).value<qsizetype>(), 0);

    deliver(u"@ban-duration=60;target-user-id=7;tmi-sent-ts=1700000000000 "
            ":tmi.twitch.tv CLEARCHAT #parley_demo :viewer"_qs);
    ASSERT_EQ(updated.size(), 2) << "an already deleted message is not announced again";
    EXPECT_EQ(updated.at(1).at(0).value<qsizetype>(), 1);
    EXPECT_TRUE(isDeleted(1));
    EXPECT_FALSE(isDeleted(2));
    ASSERT_EQ(chat->messages().size(), 4);
    EXPECT_EQ(chat->messages().at(3).system()->text, u"viewer has been timed out for 60 seconds.");

    deliver(u"@target-user-id=8 :tmi.twitch.tv CLEARCHAT #parley_demo :other"_qs);
    EXPECT_TRUE(isDeleted(2));
    EXPECT_EQ(chat->messages().constLast().system()->text, u"other has been banned.");

    deliver(u"@tmi-sent-ts=1700000000000 :tmi.twitch.tv CLEARCHAT #parley_demo"_qs);
    ASSERT_EQ(chat->messages().size(), 6) << "the history stays";
    EXPECT_EQ(chat->messages().constLast().system()->kind, TwitchChatSystemMessage::Kind::chatCleared);
    EXPECT_EQ(updated.size(), 3);

    deliver(u"@login=x;target-msg-id=unknown :tmi.twitch.tv CLEARMSG #parley_demo :gone"_qs);
    EXPECT_EQ(updated.size(), 3);
    EXPECT_EQ(chat->messages().size(), 6);
}

TEST_F(TwitchChatTest, ChannelEventsAndNoticesBecomeSystemLines)
{
    auto chat = makeChat();
    auto connection = join(*chat);
    QSignalSpy appended(chat.get(), &TwitchChat::messageAppended);
    const auto before = std::chrono::system_clock::now();

    deliver(u"@display-name=Ana;emotes=;id=u1;login=ana;msg-id=sub;system-msg=Ana\\ssubscribed\\swith\\sPrime.;"
            "tmi-sent-ts=1700000000000;user-id=9 :tmi.twitch.tv USERNOTICE #parley_demo :hype!\r\n"
            "@msg-id=emote_only_on :tmi.twitch.tv NOTICE #parley_demo :This room is now in emote-only mode."_qs);

    ASSERT_EQ(appended.size(), 2);
    const TwitchChatSystemMessage* sub = chat->messages().at(0).system();
    ASSERT_TRUE(sub);
    EXPECT_EQ(chat->messages().at(0).kind(), TwitchChatMessage::Kind::system);
    EXPECT_EQ(sub->text, u"Ana subscribed with Prime.");
    EXPECT_EQ(sub->userMessage->body(), u"hype!");
    const TwitchChatSystemMessage* notice = chat->messages().at(1).system();
    EXPECT_EQ(notice->text, u"This room is now in emote-only mode.");
    ASSERT_TRUE(notice->sentAt) << "stamped with its arrival";
    EXPECT_GE(*notice->sentAt, std::chrono::time_point_cast<std::chrono::microseconds>(before));
}

// What ended a connection reads, for the user, as what happened to the chat
// service; the description keeps the socket layer's words for the log.
TEST_F(TwitchChatTest, ALostConnectionIsToldInTheUsersWordsAndTriedAgain)
{
    auto service = std::make_unique<TwitchSimulator>();
    const quint16 port = service->start();
    ASSERT_NE(port, 0);
    TwitchEndpoints endpoints;
    endpoints.chatURL = service->chatURL();
    TwitchUserAccessToken::Info info;
    info.login = login;
    TwitchChat chat(endpoints, TwitchUserAccessToken { token, info });
    TwitchChatTiming timing;
    timing.firstRetry = timing.lastRetry = std::chrono::milliseconds(200);
    timing.jitter = 0;
    chat.setTiming(timing);
    using Phase = TwitchChatConnectionState::Phase;
    const auto phase = [&] { return chat.connectionState().phase; };
    const auto userMessage = [&] { return ErrorPresenter::userMessage(chat.connectionState().error); };
    auto connection = join(chat);
    ASSERT_EQ(phase(), Phase::connected);

    // The TCP connection just ends, then a close handshake: the service closed it.
    service->chat().dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([&] { return phase() == Phase::reconnecting; }, timeout));
    EXPECT_EQ(userMessage(), u"The chat service closed the connection.");
    // The log keeps the socket layer's words.
    EXPECT_TRUE(chat.connectionState().errorDescription().contains(u"closed the connection"));
    EXPECT_NE(chat.connectionState().errorDescription(), userMessage());
    ASSERT_TRUE(QTest::qWaitFor([&] { return phase() == Phase::connected; }, timeout));
    service->chat().closeConnections();
    ASSERT_TRUE(QTest::qWaitFor([&] { return phase() == Phase::reconnecting; }, timeout));
    EXPECT_EQ(userMessage(), u"The chat service closed the connection.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return phase() == Phase::connected; }, timeout));

    // The service dies: the connection ends, and the next tries find nobody
    // there (a refused connection, not a close by the service). They go on.
    service.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return phase() == Phase::reconnecting; }, timeout));
    EXPECT_EQ(userMessage(), u"The chat service closed the connection.");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return userMessage() == u"The chat service cannot be reached." && phase() == Phase::reconnecting; },
        timeout))
        << userMessage().toStdString();
    EXPECT_TRUE(connection->isRunning());
}

namespace {

// A line as the history service keeps it: the chat line with its own tags.
QString recentLine(const QString& id, bool deleted = false)
{
    return ChatLine { id, id }.toString().replace(u"@badges="_qs,
        u"@historical=1;rm-received-ts=1700000000500;"_qs + (deleted ? u"rm-deleted=1;"_qs : QString()) +
            u"badges="_qs);
}

// "id" for a live message, "id*" for a historical one, "~" once deleted.
QStringList shown(const TwitchChat& chat)
{
    QStringList shown;
    for (const TwitchChatMessage& message : chat.messages()) {
        const TwitchChatTextMessage* text = message.text();
        shown.append(text ? text->id() + (text->isHistorical() ? u"*"_qs : QString()) +
                    (text->isDeleted() ? u"~"_qs : QString())
                          : message.system()->text);
    }
    return shown;
}

} // namespace

TEST_F(TwitchChatTest, TheRecentHistoryFillsTheGapOfAReconnectOnceAndItsDeletionsApply)
{
    auto chat = makeChat();
    TwitchChatTiming timing;
    timing.firstRetry = timing.lastRetry = std::chrono::milliseconds(100);
    chat->setTiming(timing);
    auto connection = join(*chat);
    deliver(ChatLine { u"m1"_qs, u"m1"_qs }.toString() + u"\r\n"_qs + ChatLine { u"m2"_qs, u"m2"_qs }.toString());
    QSignalSpy joined(&service, &SimChatService::clientJoined);
    service.dropConnections();
    ASSERT_TRUE(joined.wait(timeout));
    deliver(ChatLine { u"m5"_qs, u"m5"_qs }.toString());
    QSignalSpy inserted(chat.get(), &TwitchChat::messagesInserted);
    QSignalSpy updated(chat.get(), &TwitchChat::messageUpdated);

    // From before the gap to after it, with a line that does not read.
    chat->insertHistory({ recentLine(u"m0"_qs), recentLine(u"m1"_qs), recentLine(u"m2"_qs, true), u"not a line"_qs,
        recentLine(u"m3"_qs),
        u"@historical=1;login=viewer;target-msg-id=m3;tmi-sent-ts=1700000000600 :tmi.twitch.tv CLEARMSG #parley_demo :m3"_qs,
        u"@ban-duration=5;historical=1;rm-received-ts=1700000000700;target-user-id=8 "
        ":tmi.twitch.tv CLEARCHAT #parley_demo :someone"_qs,
        recentLine(u"m4"_qs, true), recentLine(u"m5"_qs) });

    EXPECT_EQ(shown(*chat),
        (QStringList { u"m1"_qs, u"m2~"_qs, u"m3*~"_qs, u"someone has been timed out for 5 seconds."_qs, u"m4*~"_qs,
            u"m5"_qs }));
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(0).value<qsizetype>(), 2);
    EXPECT_EQ(inserted.at(0).at(1).value<qsizetype>(), 3);
    ASSERT_EQ(updated.size(), 1) << "the shown message the history has deleted";
    EXPECT_EQ(updated.at(0).at(0).value<qsizetype>(), 1);
    EXPECT_TRUE(chat->messages().at(3).system()->isHistorical);

    // Asked again, nothing shows twice; a failure's notice goes where the history would.
    chat->insertHistory({ recentLine(u"m3"_qs), recentLine(u"m4"_qs) });
    EXPECT_EQ(inserted.size(), 1);
    chat->insertHistoryNotice(u"Recent chat could not be loaded."_qs);
    EXPECT_EQ(shown(*chat).at(5), u"Recent chat could not be loaded.");
}
