#include "app/shell/EndToEnd.h"
#include "support/ChatLine.h"

using namespace parley;
using namespace parley::endtoend;

namespace {

const QString sessionTitle = QStringLiteral("Parley - #parley_demo");
const QString chatList = QStringLiteral("Chat messages");
const QString moreMessages = QStringLiteral("More messages below");

class ChatFollowingEndToEndTest : public EndToEndTest {
protected:
    // A viewer's message as the chat service sends it.
    void chat(const QString& id, const QString& text)
    {
        simulator.chat().sendText(test::ChatLine { id, text }.toString());
    }

    // Whether the chat window keeps its newest row wholly in view for a
    // while, as the busy chat goes on.
    bool keepsFollowing(RunningParley& parley)
    {
        if (!QTest::qWaitFor([&] { return parley.showsNewest(sessionTitle); }, timeout))
            return false;
        for (int look = 0; look < 5; ++look) {
            QTest::qWait(300);
            if (!QTest::qWaitFor([&] { return parley.showsNewest(sessionTitle); }, 2000))
                return false;
        }
        return true;
    }
};

TEST_F(ChatFollowingEndToEndTest, TheChatFollowsThroughLongMessagesSettingsAndResizesUntilTheReaderScrollsUp)
{
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_TRUE(signIn(*parley));
    ASSERT_TRUE(QTest::qWaitFor([&] { return parley->list(sessionTitle)[QStringLiteral("rowCount")].toInt() > 5; },
        timeout));
    EXPECT_TRUE(keepsFollowing(*parley));

    // A message that wraps to many lines.
    chat(QStringLiteral("long-1"), QStringLiteral("so many words in this one message ").repeated(8));
    EXPECT_TRUE(keepsFollowing(*parley));

    // Custom spacing 30 and a 30-point message font, from Settings.
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Settings…")));
    ASSERT_FALSE(parley->waitForWindow(QStringLiteral("Settings")).isEmpty());
    ASSERT_TRUE(parley->run(QStringLiteral("press"), QStringLiteral("Spacing Custom")));
    ASSERT_TRUE(parley->type(QStringLiteral("Points"), QStringLiteral("30")));
    EXPECT_TRUE(keepsFollowing(*parley));
    ASSERT_TRUE(parley->type(QStringLiteral("Message font size"), QStringLiteral("30")));
    EXPECT_TRUE(keepsFollowing(*parley));

    // A window 100 points lower, then 130 narrower.
    const QJsonObject window = parley->waitForWindow(sessionTitle);
    const int width = window[QStringLiteral("width")].toInt();
    const int height = window[QStringLiteral("height")].toInt();
    ASSERT_TRUE(parley->resize(sessionTitle, width, height - 100));
    EXPECT_TRUE(keepsFollowing(*parley));
    ASSERT_TRUE(parley->resize(sessionTitle, width - 130, height - 100));
    EXPECT_TRUE(keepsFollowing(*parley));

    // Scrolled up, the reader stays there and is offered the way back.
    EXPECT_FALSE(parley->shows(moreMessages, sessionTitle));
    ASSERT_TRUE(parley->wheel(sessionTitle, chatList, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->shows(moreMessages, sessionTitle); }, timeout));
    QTest::qWait(1000);
    EXPECT_FALSE(parley->showsNewest(sessionTitle));
    ASSERT_TRUE(parley->run(QStringLiteral("press"), moreMessages));
    EXPECT_TRUE(keepsFollowing(*parley));
    EXPECT_FALSE(parley->shows(moreMessages, sessionTitle));

    // The wheel back down to the end follows again too.
    ASSERT_TRUE(parley->wheel(sessionTitle, chatList, 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->shows(moreMessages, sessionTitle); }, timeout));
    ASSERT_TRUE(parley->wheel(sessionTitle, chatList, -200));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !parley->shows(moreMessages, sessionTitle); }, timeout));
    EXPECT_TRUE(keepsFollowing(*parley));
}

} // namespace
