#include "app/ui/chat/ShownSessionView.h"

using namespace parley;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

// The chat window's entry bar and connection lines, in a session joined to
// the simulator's demo channel, shown offscreen and typed into as a user does.
class SessionEntryBarTest : public parley::test::ShownSessionView {
protected:
    void SetUp() override
    {
        show(400, 500);
        connect();
    }

    void connect()
    {
        QObject::connect(&twitch.sim.chat(), &sim::SimChatService::frameReceived, &view, [this](const QString& frame) {
            if (frame.startsWith(QStringLiteral("PRIVMSG ")))
                sent.append(frame.mid(frame.indexOf(QStringLiteral(" :")) + 2));
        });
    }

    QString text(const QString& name) const { return item(name)->property("text").toString(); }

    // Types into the message field with key presses, as the keyboard does.
    void type(const QString& keys)
    {
        item("messageField")->forceActiveFocus();
        QTest::keyClicks(view.quickWidget(), keys);
    }
    void pressReturn() { QTest::keyClick(view.quickWidget(), Qt::Key_Return); }

    // The texts of the PRIVMSG frames the service received.
    QStringList sent;
};

} // namespace

TEST_F(SessionEntryBarTest, ALongMessageShowsItsCountAndPast500IsNotSent)
{
    QQuickItem* count = item("characterCount");
    QQuickItem* lengthLine = item("lengthLine");
    QQuickItem* sendButton = item("sendButton");
    ASSERT_TRUE(count && lengthLine && sendButton);
    EXPECT_FALSE(count->isVisible());

    type(QString(480, u'x'));
    EXPECT_TRUE(count->isVisible());
    EXPECT_EQ(count->property("text").toString(), "480/500");
    EXPECT_FALSE(lengthLine->isVisible());
    EXPECT_TRUE(sendButton->isEnabled());

    type(QString(30, u'y'));
    EXPECT_EQ(count->property("text").toString(), "510/500");
    EXPECT_TRUE(lengthLine->isVisible());
    EXPECT_EQ(lengthLine->property("text").toString(), "Messages are limited to 500 characters.");
    EXPECT_FALSE(sendButton->isEnabled());
    pressReturn();
    QTest::qWait(200);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(text("messageField").size(), 510);

    // Back within the limit, the message goes out and the field empties.
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(view.quickWidget(), Qt::Key_Backspace);
    EXPECT_FALSE(lengthLine->isVisible());
    EXPECT_EQ(count->property("text").toString(), "500/500");
    pressReturn();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent.size() == 1; }, waitMs));
    EXPECT_EQ(sent.value(0), QString(480, u'x') + QString(20, u'y'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return text("messageField").isEmpty(); }, waitMs));
    EXPECT_FALSE(count->isVisible());
}

TEST_F(SessionEntryBarTest, WhiteSpaceAtTheEndsIsNotSentAndAFieldOfOnlyWhiteSpaceIsEmptied)
{
    type("   ");
    pressReturn();
    EXPECT_EQ(text("messageField"), "");
    type("  hello there  ");
    pressReturn();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent.size() == 1; }, waitMs));
    EXPECT_EQ(sent, QStringList { "hello there" });
    EXPECT_TRUE(QTest::qWaitFor([&] { return text("messageField").isEmpty(); }, waitMs));
}

TEST_F(SessionEntryBarTest, TheChatServiceGoneIsSaidInTheUsersWordsAndTheFailedSendLineGoesOnReconnecting)
{
    TwitchChatTiming timing;
    timing.firstRetry = timing.lastRetry = std::chrono::milliseconds(1500);
    timing.jitter = 0;
    session.chat()->setTiming(timing);
    twitch.sim.chat().dropConnections();
    QQuickItem* disconnected = item("disconnectedLine");
    ASSERT_TRUE(QTest::qWaitFor([&] { return disconnected->isVisible(); }, waitMs));
    EXPECT_EQ(
        disconnected->property("text").toString(), "Disconnected from chat: The chat service closed the connection.");

    type("are you there?");
    pressReturn();
    QQuickItem* errorLine = item("errorLine");
    ASSERT_TRUE(QTest::qWaitFor([&] { return errorLine->isVisible(); }, waitMs));
    EXPECT_EQ(errorLine->property("text").toString(), "Failed to send message: Not connected to chat.");

    // Connected again: both lines go, the text waits in the field.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !disconnected->isVisible(); }, waitMs));
    EXPECT_FALSE(errorLine->isVisible());
    EXPECT_EQ(text("messageField"), "are you there?");
    pressReturn();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent == QStringList { "are you there?" }; }, waitMs));
}
