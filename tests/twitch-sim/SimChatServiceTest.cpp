#include "twitch-sim/SimChatService.h"
#include "platform/Diagnostics.h"
#include "support/ParsedLine.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatSystemMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

using namespace parley;
using parley::test::parsedLine;
using namespace parley::sim;
using Tag = TwitchChatIRCMessage::Tag;

namespace {

constexpr int timeout = 10000;
const QString channel = QString::fromLatin1(demo::login);
const QString otherToken = u"sim-streamer-token"_qs;

// A bare WebSocket peer that records every text frame it receives.
class Peer {
public:
    explicit Peer(const QUrl& url)
    {
        QObject::connect(
            &socket, &QWebSocket::textMessageReceived, &socket, [this](const QString& frame) { frames.append(frame); });
        socket.open(url);
        EXPECT_TRUE(QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }, timeout));
    }

    void send(const QStringList& lines)
    {
        for (const QString& line : lines)
            socket.sendTextMessage(line);
    }

    void logIn(const QString& token, const QString& nick)
    {
        send({ u"CAP REQ :twitch.tv/commands twitch.tv/tags"_qs, u"PASS oauth:"_qs + token, u"NICK "_qs + nick,
            u"JOIN #"_qs + channel });
        EXPECT_TRUE(waitFor(u"ROOMSTATE"_qs));
    }

    bool waitFor(const QString& text)
    {
        return QTest::qWaitFor([&] { return !frames.filter(text).isEmpty(); }, timeout);
    }

    QWebSocket socket;
    QStringList frames;
};

class SimChatServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(simulator.start(), 0);
        simulator.model().addToken(SimToken {
            otherToken, QString::fromLatin1(demo::clientID), QString::fromLatin1(demo::otherChannelUserID), {} });
    }

    TwitchSimulator simulator;
    SimChatService& service = simulator.chat();
};

} // namespace

TEST_F(SimChatServiceTest, AnswersTheLoginSequenceAsTheServiceDoes)
{
    Peer peer(simulator.chatURL());
    peer.logIn(QString::fromLatin1(demo::token), channel);

    ASSERT_EQ(peer.frames.size(), 5);
    EXPECT_EQ(peer.frames[0], u":tmi.twitch.tv CAP * ACK :twitch.tv/commands twitch.tv/tags"_qs);

    const QStringList welcome = peer.frames[1].split(u"\r\n"_qs);
    QStringList numerics;
    for (const QString& line : welcome)
        numerics.append(line.section(u' ', 1, 2));
    EXPECT_EQ(numerics,
        (QStringList { u"001 parley_demo"_qs, u"002 parley_demo"_qs, u"003 parley_demo"_qs, u"004 parley_demo"_qs,
            u"375 parley_demo"_qs, u"372 parley_demo"_qs, u"376 parley_demo"_qs }));
    EXPECT_EQ(parsedLine(peer.frames[2]).command(), TwitchChatIRCCommand::globalUserState);

    EXPECT_EQ(peer.frames[3].split(u"\r\n"_qs),
        (QStringList { u":parley_demo!parley_demo@parley_demo.tmi.twitch.tv JOIN #parley_demo"_qs,
            u":parley_demo.tmi.twitch.tv 353 parley_demo = #parley_demo :parley_demo"_qs,
            u":parley_demo.tmi.twitch.tv 366 parley_demo #parley_demo :End of /NAMES list"_qs }));

    const QStringList states = peer.frames[4].split(u"\r\n"_qs);
    ASSERT_EQ(states.size(), 2);
    const TwitchChatIRCMessage userState = parsedLine(states[0]);
    EXPECT_EQ(userState.command(), TwitchChatIRCCommand::userState);
    EXPECT_FALSE(userState.tags().contains(Tag::id));
    EXPECT_EQ(userState.tags()[Tag::badges], u"broadcaster/1");
    const TwitchChatIRCMessage roomState = parsedLine(states[1]);
    EXPECT_EQ(roomState.command(), TwitchChatIRCCommand::roomState);
    EXPECT_EQ(roomState.tags()[Tag::roomID], QString::fromLatin1(demo::userID));
}

TEST_F(SimChatServiceTest, RefusesAnUnknownTokenAndCloses)
{
    Peer peer(simulator.chatURL());
    peer.send({ u"PASS oauth:nobody"_qs, u"NICK parley_demo"_qs, u"JOIN #parley_demo"_qs });

    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket.state() == QAbstractSocket::UnconnectedState; }, timeout));
    EXPECT_EQ(peer.frames, QStringList { u":tmi.twitch.tv NOTICE * :Login authentication failed"_qs });
}

TEST_F(SimChatServiceTest, EchoesASentMessageAndRelaysItToTheChannel)
{
    Peer broadcaster(simulator.chatURL());
    broadcaster.logIn(QString::fromLatin1(demo::token), channel);
    Peer viewer(simulator.chatURL());
    viewer.logIn(otherToken, QString::fromLatin1(demo::otherChannelLogin));

    broadcaster.send({ u"PRIVMSG #parley_demo :\U0001F525 ParleyHi there ParleyHi"_qs });
    ASSERT_TRUE(viewer.waitFor(u"PRIVMSG"_qs));
    ASSERT_TRUE(broadcaster.waitFor(u" USERSTATE #parley_demo"_qs) && broadcaster.frames.size() == 6);

    const TwitchChatIRCMessage echo = parsedLine(broadcaster.frames.constLast());
    EXPECT_EQ(echo.command(), TwitchChatIRCCommand::userState);
    EXPECT_EQ(echo.tags()[Tag::badges], u"broadcaster/1");
    const auto relayed = TwitchChatTextMessage::fromLine(parsedLine(viewer.frames.constLast()));
    ASSERT_TRUE(relayed);
    EXPECT_EQ(relayed->id(), echo.tags()[Tag::id]);
    EXPECT_EQ(relayed->body(), u"\U0001F525 ParleyHi there ParleyHi"_qs);
    EXPECT_EQ(relayed->emotes(), (QList<TwitchEmoteMark> { { u"301000001"_qs, 2, 9 }, { u"301000001"_qs, 17, 24 } }));

    // A viewer's echo carries no broadcaster badge.
    viewer.send({ u"PRIVMSG #parley_demo :hi"_qs });
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.frames.constLast().contains(u" USERSTATE "_qs); }, timeout));
    EXPECT_TRUE(parsedLine(viewer.frames.constLast()).tags().contains(Tag::id));
    EXPECT_FALSE(viewer.frames.constLast().contains(u"broadcaster/"_qs));
}

TEST_F(SimChatServiceTest, PingsAtItsIntervalAndCountsPongs)
{
    Peer peer(simulator.chatURL());
    peer.logIn(QString::fromLatin1(demo::token), channel);
    service.setPingInterval(std::chrono::milliseconds(20));

    ASSERT_TRUE(peer.waitFor(u"PING :tmi.twitch.tv"_qs));
    peer.send({ u"PONG"_qs, u"PONG :tmi.twitch.tv"_qs });
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.pongCount() == 2; }, timeout));
}

TEST_F(SimChatServiceTest, AStalledServiceAnswersNothing)
{
    service.setStalled(true);
    Peer peer(simulator.chatURL());
    QSignalSpy received(&service, &SimChatService::frameReceived);
    peer.send(
        { u"CAP REQ :twitch.tv/commands twitch.tv/tags"_qs, u"PASS oauth:"_qs + QString::fromLatin1(demo::token) });

    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, timeout));

    // Once it answers again, the first answer is to the first frame after that.
    service.setStalled(false);
    peer.send({ u"PING"_qs });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !peer.frames.isEmpty(); }, timeout));
    EXPECT_EQ(peer.frames, QStringList { u"PONG :tmi.twitch.tv"_qs });
}

TEST_F(SimChatServiceTest, GeneratedTrafficReachesJoinedClients)
{
    Peer peer(simulator.chatURL());
    peer.logIn(QString::fromLatin1(demo::token), channel);
    peer.frames.clear();

    service.startTraffic(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.frames.join(u"\r\n"_qs).count(u" PRIVMSG #"_qs) >= 50; }, timeout));
    service.stopTraffic();
}

// The generated chat must read as the client reads it: every line parses,
// emote positions count code points and name the emote at that place.
TEST(SimChatTraffic, ProducesWellFormedVariedChat)
{
    const QList<SimChatEmote> emotes { { u"25"_qs, u"Kappa"_qs }, { u"1902"_qs, u"Keepo"_qs }, { u"e1"_qs, u"<3"_qs } };
    SimChatTraffic traffic(u"chan"_qs, u"42"_qs, emotes);
    DiagnosticsCapture quiet;
    QSet<TwitchChatIRCCommand> commands;
    int texts = 0, replies = 0, withEmotes = 0, withEmoji = 0, moderators = 0, actions = 0;
    QSet<TwitchChatSystemMessage::Kind> systemKinds;
    QSet<TwitchChatClear::Kind> clearKinds;
    DiagnosticsCapture log;

    for (int i = 0; i < 20000; ++i) {
        const SimChatLine line = traffic.nextLine();
        const TwitchChatIRCMessage message = TwitchChatIRCMessage::parse(line.text);
        commands.insert(message.command());
        EXPECT_EQ(line.isChatMessage, message.command() == TwitchChatIRCCommand::privateMessage);
        const auto text = TwitchChatTextMessage::fromLine(message);
        if (const auto system = TwitchChatSystemMessage::fromLine(message)) {
            systemKinds.insert(system->kind);
            EXPECT_FALSE(system->text.contains(u'\\')) << "system texts arrive unescaped";
        }
        if (const auto clear = TwitchChatClear::fromLine(message)) {
            clearKinds.insert(clear->kind);
            if (const auto line = clear->systemMessage())
                systemKinds.insert(line->kind);
        }
        EXPECT_EQ(line.isChatMessage, text.has_value()) << line.text.toStdString();
        if (!text)
            continue;
        ++texts;
        moderators += text->userType() == TwitchUserType::moderator;
        actions += text->isAction();
        if (text->reply()) {
            EXPECT_FALSE(text->reply()->parentMessageBody.contains(u'\\')) << line.text.toStdString();
        }
        replies += text->reply().has_value();
        withEmotes += !text->emotes().isEmpty();
        const QList<uint> codePoints = text->body().toUcs4();
        const auto* points = reinterpret_cast<const char32_t*>(codePoints.constData());
        withEmoji += codePoints.size() != text->body().size();
        for (const TwitchEmoteMark& mark : text->emotes()) {
            ASSERT_TRUE(mark.begin >= 0 && mark.end < codePoints.size()) << line.text.toStdString();
            const QString word = QString::fromUcs4(points + mark.begin, mark.end - mark.begin + 1);
            const auto emote = std::find_if(
                emotes.begin(), emotes.end(), [&](const SimChatEmote& e) { return e.name == word; });
            ASSERT_NE(emote, emotes.end()) << word.toStdString();
            EXPECT_EQ(emote->id, mark.emoteID);
        }
    }
    EXPECT_EQ(commands,
        (QSet<TwitchChatIRCCommand> { TwitchChatIRCCommand::privateMessage, TwitchChatIRCCommand::roomState,
            TwitchChatIRCCommand::userNotice, TwitchChatIRCCommand::clearChat, TwitchChatIRCCommand::clearMsg }));
    EXPECT_EQ(systemKinds.size(), 5) << "user notices, announcements, timeouts, bans and clears";
    EXPECT_EQ(clearKinds.size(), 3);
    EXPECT_GT(actions, 50);
    EXPECT_TRUE(log.lines().filter(u"reply"_qs).isEmpty()) << "every reply key is known";
    EXPECT_GT(texts, 4000);
    EXPECT_GT(replies, 100);
    EXPECT_GT(withEmotes, 500);
    EXPECT_GT(withEmoji, 50);
    EXPECT_GT(moderators, 0);
}
