#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley::sim;

namespace {

constexpr int timeout = 30000;

// parley-dev chat against the in-process simulator: the event loop keeps
// running while the program works, so the simulator can answer it.
class ChatCommandTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    void start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PARLEY_TOKEN"), QString::fromLatin1(demo::token));
        process.setProcessEnvironment(environment);
        QSignalSpy joined(&service, &SimChatService::clientJoined);
        process.start(QStringLiteral(PARLEY_DEV),
            { QStringLiteral("chat"), QStringLiteral("--login"), QString::fromLatin1(demo::login),
                QStringLiteral("--chat-url"), simulator.chatURL().toString() });
        ASSERT_TRUE(joined.wait(timeout));
        waitForOutput(QStringLiteral("ROOMSTATE"));
    }

    void waitForOutput(const QString& text)
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                out += QString::fromUtf8(process.readAllStandardOutput());
                return out.contains(text);
            },
            timeout))
            << out.toStdString();
    }

    int finish()
    {
        process.closeWriteChannel();
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout));
        out += QString::fromUtf8(process.readAllStandardOutput());
        return process.exitCode();
    }

    TwitchSimulator simulator;
    SimChatService& service = simulator.chat();
    QProcess process;
    QString out;
};

} // namespace

TEST_F(ChatCommandTest, ReconnectsRefusalsAndWireTextAreShownAndTheEndOfInputEndsWell)
{
    start();

    // Wire text never reaches the terminal raw.
    service.sendText(
        QStringLiteral(":tmi.twitch.tv NOTICE #parley_demo :bell\u0007 escape\u001b[2J nul%1 end").arg(QChar(0)));
    waitForOutput(QStringLiteral("bell\\x07 escape\\x1b[2J nul\\x00 end"));
    EXPECT_FALSE(out.contains(QChar(0x1b)));

    // The service moves the client: a log line, and the chat goes on.
    service.sendReconnect(std::chrono::milliseconds(0));
    waitForOutput(QStringLiteral("TwitchChat.reconnected:"));

    // A refused message is printed with the service's reason.
    service.refuseMessages(QStringLiteral("msg_slowmode"), QStringLiteral("This room is in slow mode."));
    process.write("too fast\nfine\n");
    waitForOutput(QStringLiteral("refused too fast: This room is in slow mode.\n"));
    waitForOutput(QStringLiteral(": fine\n"));

    // A lost connection is made again and the end of input still ends well.
    service.dropConnections();
    waitForOutput(QStringLiteral("TwitchChat.reconnecting: "));
    EXPECT_EQ(finish(), 0) << out.toStdString();
}

TEST_F(ChatCommandTest, AChatThatFailsForGoodEndsWithAnError)
{
    start();
    simulator.model().revokeToken(QString::fromLatin1(demo::token));
    service.dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout));
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains(QLatin1String("Login authentication failed"))) << err.toStdString();
}

TEST_F(ChatCommandTest, AServiceOutOfReachAtTheStartEndsWithAnError)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PARLEY_TOKEN"), QString::fromLatin1(demo::token));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PARLEY_DEV),
        { QStringLiteral("chat"), QStringLiteral("--login"), QString::fromLatin1(demo::login),
            QStringLiteral("--chat-url"), QStringLiteral("ws://127.0.0.1:1") });
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().startsWith("parley-dev chat: "));
}
