#include "app/ui/chat/ShownSessionView.h"

#include <QQmlContext>
#include <QQmlProperty>

#include <QFont>
#include <QWheelEvent>

using namespace parley;
using parley::test::ChatLine;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

// The chat window of a session joined to the simulator's demo channel.
class SessionViewTest : public parley::test::ShownSessionView {
protected:
    void SetUp() override { show(400, 500); }

    // The rows in view, as their accessible names.
    QStringList rowNames() const
    {
        QStringList names;
        for (QQuickItem* body : items("body"))
            names.append(body->parentItem()->parentItem()->property("accessibleName").toString());
        return names;
    }
    QQuickItem* lastRow() const
    {
        QQuickItem* list = item("rows");
        const int count = list->property("count").toInt();
        QQuickItem* last = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, last), Q_ARG(int, count - 1));
        return last;
    }
    QString newestRow() const { return lastRow() ? lastRow()->property("accessibleName").toString() : QString(); }
    // Whether the newest row lies wholly inside the list.
    bool showsNewest() const
    {
        QQuickItem* list = item("rows");
        QQuickItem* last = lastRow();
        if (!last || !last->isVisible())
            return false;
        const QRectF row = last->mapRectToItem(list, last->boundingRect());
        return row.top() >= -0.5 && row.bottom() <= list->height() + 0.5;
    }
    // Turns the mouse wheel over `item` by `notches` (positive: up).
    void turnWheel(QQuickItem* item, int notches)
    {
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        for (int i = 0; i < notches; ++i) {
            QWheelEvent event(centre, view.quickWidget()->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view.quickWidget(), &event);
        }
    }
    bool deliver(const QStringList& lines)
    {
        const int before = view.messageListModel().rowCount();
        twitch.sim.chat().sendText(lines.join("\r\n"));
        return QTest::qWaitFor([&] { return view.messageListModel().rowCount() == before + lines.size(); }, waitMs);
    }
};

} // namespace

TEST_F(SessionViewTest, RowsShowWireTextExactlyAsSent)
{
    const QString hostile = QStringLiteral("<b>x</b> &amp; <img src=x>  javascript:alert(1) \u202Eevil");
    ASSERT_TRUE(deliver({ ChatLine { "h", hostile, "<i>Name</i>" }.toString() }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return items("body").size() == 1; }, waitMs));

    EXPECT_EQ(item("body")->property("text").toString(), hostile);
    EXPECT_EQ(item("name")->property("text").toString(), "<i>Name</i>");
    EXPECT_EQ(rowNames(), QStringList { "<i>Name</i>: " + hostile });
    EXPECT_TRUE(items("badge").isEmpty());
}

TEST_F(SessionViewTest, TheTimeFollowsTheThemeAndTheBadgeTheBroadcaster)
{
    ASSERT_TRUE(deliver({ ChatLine { "b", "hello", "Streamer", "broadcaster/1" }.toString() }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("time") != nullptr; }, waitMs));
    EXPECT_EQ(items("badge").size(), 1);
    EXPECT_TRUE(item("time")->isVisible());
    EXPECT_FALSE(item("time")->property("text").toString().isEmpty());

    ThemeOptions options = defaultThemeOptions();
    options.showMessageTimestamp = false;
    theme.setTheme(makeTheme(options));
    EXPECT_FALSE(item("time")->isVisible());
}

TEST_F(SessionViewTest, BadgesDrawInTheTagsOrderWithTheirTitlesAndTheBroadcastersMarkStandsInForAFailedImage)
{
    twitch.sim.setFault(QStringLiteral("/badges/v1/broadcaster-1/2"), sim::HttpFault::withStatus(404));
    ChatLine subscriber { "s", "hi", "Mod", "moderator/1,glitchcon2020/1,subscriber/12" };
    subscriber.extraTags = QStringLiteral(";badge-info=subscriber/15");
    ASSERT_TRUE(deliver({ subscriber.toString(), ChatLine { "b", "yo", "Streamer", "broadcaster/1,vip/1" }.toString() }));

    const auto badgeImagesShown = [&] {
        int shown = 0;
        for (QQuickItem* image : items("badgeImage"))
            shown += image->isVisible() ? 1 : 0;
        return shown;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return badgeImagesShown() == 3; }, waitMs));
    EXPECT_EQ(rowNames(), (QStringList { "Moderator, Subscriber (15 months), Mod: hi", "Broadcaster, VIP, Streamer: yo" }));
    QStringList titles;
    for (QQuickItem* badge : items("badge"))
        titles.append(QQmlProperty(badge, QStringLiteral("Accessible.name"), qmlContext(badge)).read().toString());
    EXPECT_EQ(titles, (QStringList { "Moderator", "Subscriber (15 months)", "Broadcaster", "VIP" }));
    EXPECT_EQ(items("broadcasterBadge", true).size(), 1);

    // A failed image is not asked for again each time rows are drawn.
    ASSERT_TRUE(deliver({ ChatLine { "b2", "again", "Streamer", "broadcaster/1" }.toString() }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return items("broadcasterBadge", true).size() == 2; }, waitMs));
    int requests = 0;
    for (const sim::SimRequest& request : twitch.sim.requests())
        requests += request.path == QLatin1String("/badges/v1/broadcaster-1/2") ? 1 : 0;
    EXPECT_EQ(requests, 1);

    // "Show badges" off: the broadcaster's mark alone, and no titles read out.
    Theme withoutBadges = theme.theme();
    withoutBadges.showBadges = false;
    theme.setTheme(withoutBadges);
    EXPECT_TRUE(QTest::qWaitFor([&] { return badgeImagesShown() == 0; }, waitMs));
    EXPECT_EQ(rowNames().first(), QStringLiteral("Mod: hi"));
    EXPECT_EQ(items("broadcasterBadge", true).size(), 2);
}

TEST_F(SessionViewTest, LoadedEmotesAreDrawnAsImagesInTheBody)
{
    ChatLine line { "e", "hi :) ParleyHi" };
    line.emotes = QStringLiteral("1:3-4/301000001:6-13");
    ASSERT_TRUE(deliver({ line.toString() }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("body") != nullptr; }, waitMs));
    // The two images replace their codes once loaded; the row still reads as typed.
    const QString drawn = QStringLiteral("hi ") + QChar::ObjectReplacementCharacter + u' ' +
        QChar::ObjectReplacementCharacter;
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("body")->property("text").toString() == drawn; }, waitMs))
        << item("body")->property("text").toString().toStdString();
    EXPECT_EQ(rowNames(), QStringList { "Viewer: hi :) ParleyHi" });
}

TEST_F(SessionViewTest, AFailedSendShowsTheRedLineAndKeepsTheText)
{
    QQuickItem* errorLine = item("errorLine");
    ASSERT_TRUE(errorLine);
    EXPECT_FALSE(errorLine->isVisible());

    // Lost, the chat waits long before its next try: sends fail meanwhile.
    TwitchChatTiming timing;
    timing.firstRetry = timing.lastRetry = std::chrono::minutes(1);
    timing.jitter = 0;
    session.chat()->setTiming(timing);
    twitch.sim.chat().dropConnections();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.chat()->isConnected(); }, waitMs));
    EXPECT_EQ(view.viewModel().reconnectingText(), QStringLiteral("Reconnecting in 60 s\u2026"));
    view.viewModel().setNewMessage("are you there?");
    QMetaObject::invokeMethod(item("sendButton"), "clicked");
    EXPECT_TRUE(QTest::qWaitFor([&] { return errorLine->isVisible(); }, waitMs));
    EXPECT_EQ(errorLine->property("text").toString(), "Failed to send message: Not connected to chat.");
    EXPECT_EQ(item("messageField")->property("text").toString(), "are you there?");

    QQuickItem* disconnected = item("disconnectedLine");
    EXPECT_TRUE(QTest::qWaitFor([&] { return disconnected->isVisible(); }, waitMs));
    EXPECT_TRUE(disconnected->property("text").toString().startsWith("Disconnected from chat: "));
}

TEST_F(SessionViewTest, TheListFollowsThroughLongRowsAndResizesUntilTheReaderScrollsUp)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines.append(ChatLine { QString::number(i), QStringLiteral("message %1").arg(i) }.toString());
    ASSERT_TRUE(deliver(lines));
    auto* list = item("rows");
    auto* more = item("moreMessagesButton");
    ASSERT_TRUE(list && more);
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNewest(); }, waitMs));
    EXPECT_FALSE(more->isVisible());

    // A row that wraps to many lines, then a narrower and lower window.
    ASSERT_TRUE(deliver({ ChatLine { "long", QStringLiteral("word ").repeated(60) }.toString() }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest(); }, waitMs));
    view.resize(270, 380);
    ASSERT_TRUE(deliver({ ChatLine { "after", "after the resize" }.toString() }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest() && newestRow() == "Viewer: after the resize"; }, waitMs));

    // Scrolled up by the wheel, the reader stays put and is offered the way back.
    turnWheel(list, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return more->isVisible(); }, waitMs));
    const double position = list->property("contentY").toDouble();
    ASSERT_TRUE(deliver({ ChatLine { "late", "unseen" }.toString() }));
    QTest::qWait(100);
    EXPECT_EQ(list->property("contentY").toDouble(), position);
    EXPECT_FALSE(showsNewest());

    QMetaObject::invokeMethod(more, "clicked");
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest() && !more->isVisible(); }, waitMs));
    EXPECT_EQ(newestRow(), "Viewer: unseen");
}

TEST_F(SessionViewTest, SystemLinesShowTheirHeadlineAndDeletedMessagesOnlyAMarker)
{
    const QString channel = QString::fromLatin1(sim::demo::login);
    ASSERT_TRUE(deliver({ ChatLine { "gone", "rude words" }.toString(),
        QStringLiteral("@msg-id=slow_on :tmi.twitch.tv NOTICE #%1 :<b>Slow</b> mode.").arg(channel) }));
    twitch.sim.chat().sendText(
        QStringLiteral("@login=viewer;target-msg-id=gone;tmi-sent-ts=1 :tmi.twitch.tv CLEARMSG #%1 :rude words")
            .arg(channel));
    ASSERT_TRUE(QTest::qWaitFor([&] { return items("body").size() == 2; }, waitMs));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return items("body").first()->property("text") == "<message deleted>"; }, waitMs));

    const QList<QQuickItem*> headlines = items("headline");
    ASSERT_EQ(headlines.size(), 2);
    EXPECT_FALSE(headlines.at(0)->isVisible());
    EXPECT_TRUE(headlines.at(1)->isVisible());
    EXPECT_EQ(headlines.at(1)->property("text").toString(), "<b>Slow</b> mode.");
    EXPECT_FALSE(items("body").at(1)->isVisible()); // a notice has no chatter's words
    EXPECT_TRUE(items("body").first()->property("font").value<QFont>().italic());
    const QList<QQuickItem*> marks = items("systemMark");
    ASSERT_EQ(marks.size(), 2);
    EXPECT_FALSE(marks.at(0)->isVisible());
    EXPECT_TRUE(marks.at(1)->isVisible());
    EXPECT_EQ(rowNames(), (QStringList { "Viewer: message deleted", "<b>Slow</b> mode." }));
}

TEST_F(SessionViewTest, AMentionAndAFirstMessageStandOutInTheirTints)
{
    ChatLine first { "f", "hello everyone", "Newcomer" };
    first.extraTags = QStringLiteral(";first-msg=1");
    ASSERT_TRUE(deliver({ ChatLine { "m", "hi @parley_demo how are you" }.toString(), first.toString(),
        ChatLine { "n", "just chatting" }.toString() }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return items("highlight", true).size() == 2; }, waitMs));
    const QList<QQuickItem*> shown = items("highlight", true);
    EXPECT_EQ(shown[0]->property("color").value<QColor>(), theme.theme().mentionTint);
    EXPECT_EQ(shown[1]->property("color").value<QColor>(), theme.theme().firstMessageTint);
    EXPECT_EQ(rowNames().mid(0, 2),
        (QStringList { "Mention. Viewer: hi @parley_demo how are you", "First message. Newcomer: hello everyone" }));
}

TEST_F(SessionViewTest, CtrlFShowsOnlyMatchingRowsAndEscapeBringsBackEveryRowFollowing)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines.append(ChatLine { QString::number(i), QStringLiteral("%1 message %2").arg(i % 4 ? "plain" : "Clip").arg(i) }
                         .toString());
    ASSERT_TRUE(deliver(lines));
    QQuickItem* list = item("rows");
    QQuickItem* searchBar = item("searchBar");
    ASSERT_TRUE(list && searchBar);
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsNewest(); }, waitMs));
    EXPECT_FALSE(searchBar->isVisible());

    QTest::keyClick(view.quickWidget(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return searchBar->isVisible(); }, waitMs));
    EXPECT_TRUE(item("searchField")->hasActiveFocus());
    QTest::keyClicks(view.quickWidget(), QStringLiteral("cLIP"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->property("count").toInt() == 10; }, waitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest() && newestRow() == "Viewer: Clip message 36"; }, waitMs));
    for (const QString& name : rowNames())
        EXPECT_TRUE(name.contains("Clip")) << name.toStdString();
    ASSERT_TRUE(deliver({ ChatLine { "new", "another clip" }.toString(), ChatLine { "x", "hidden" }.toString() }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest() && newestRow() == "Viewer: another clip"; }, waitMs));

    // Scrolled up within the results, Escape still ends at the newest row of
    // the whole chat, and the list follows on.
    view.resize(400, 300);
    turnWheel(list, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("moreMessagesButton")->isVisible(); }, waitMs));
    QTest::keyClick(view.quickWidget(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !searchBar->isVisible(); }, waitMs));
    EXPECT_EQ(list->property("count").toInt(), 42);
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest() && newestRow() == "Viewer: hidden"; }, waitMs));
    EXPECT_FALSE(item("moreMessagesButton")->isVisible());
    EXPECT_TRUE(item("messageField")->hasActiveFocus());
    ASSERT_TRUE(deliver({ ChatLine { "last", "after the search" }.toString() }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsNewest() && newestRow() == "Viewer: after the search"; }, waitMs));
}

TEST_F(SessionViewTest, ClickingANameOpensTheViewersCardWhichEscapeCloses)
{
    ASSERT_TRUE(deliver({ ChatLine { "a", "first words" }.toString(), ChatLine { "b", "second words" }.toString() }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return items("name").size() == 2; }, waitMs));
    QQuickItem* name = items("name").first();
    const QPointF centre = name->mapToScene(QPointF(4, name->height() / 2));
    QTest::mouseClick(view.quickWidget(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.viewModel().viewerCard() != nullptr; }, waitMs));

    // The card lives in the window's overlay, over the chat.
    const auto cardItems = [&](const QString& objectName) {
        QList<QQuickItem*> found;
        QList<QQuickItem*> pending { view.quickWidget()->quickWindow()->contentItem() };
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeFirst();
            if (item->objectName() == objectName && item->isVisible())
                found.append(item);
            pending = item->childItems() + pending;
        }
        return found;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return cardItems("cardMessageBody").size() == 2; }, waitMs));
    EXPECT_EQ(cardItems("cardName").first()->property("text").toString(), "Viewer");
    EXPECT_EQ(cardItems("cardMessageBody").last()->property("text").toString(), "second words");
    // The session's sign-in lacks the moderation scopes: the buttons ask to sign in again.
    EXPECT_EQ(cardItems("moderationHint").first()->property("text").toString(), "Sign in again to moderate.");
    EXPECT_FALSE(cardItems("banButton").first()->isEnabled());
    ASSERT_EQ(cardItems("closeCardButton").size(), 1);

    QTest::keyClick(view.quickWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.viewModel().viewerCard() == nullptr; }, waitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cardItems("cardName").isEmpty(); }, waitMs));

    // Enter on a focused row opens its sender's card as well.
    lastRow()->forceActiveFocus();
    QTest::keyClick(view.quickWidget(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.viewModel().viewerCard() != nullptr; }, waitMs));
}
