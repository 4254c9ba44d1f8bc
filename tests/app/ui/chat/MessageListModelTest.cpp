#include "app/ui/chat/ChatTestSupport.h"

#include "app/session/TextWithEmotes.h"
#include "app/ui/chat/MessageListModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPalette>

#include <ctime>

using namespace parley;
using parley::test::ChatLine;
using parley::test::JoinedChat;

namespace {

class MessageListModelTest : public ::testing::Test {
protected:
    QVariant value(int row, MessageListModel::Role role) const { return model.data(model.index(row), role); }
    QString bodyText(int row) const { return value(row, MessageListModel::BodyRole).value<TextWithEmotes>().text(); }

    JoinedChat joined;
    MessageListModel model { joined.chat };
};

QList<int> insertedRows(const QSignalSpy& spy)
{
    QList<int> rows;
    for (const QList<QVariant>& arguments : spy) {
        EXPECT_EQ(arguments.at(1), arguments.at(2)); // one row at a time
        rows.append(arguments.at(1).toInt());
    }
    return rows;
}

} // namespace

TEST_F(MessageListModelTest, EachAnnouncedMessageInsertsOneRowAtTheEnd)
{
    ASSERT_TRUE(joined.joined);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    ASSERT_TRUE(
        joined.deliver(QStringList { ChatLine { "m1", "one" }.toString(), ChatLine { "m2", "two" }.toString() }));
    ASSERT_TRUE(joined.deliver(ChatLine { "m3", "three" }));
    EXPECT_EQ(insertedRows(inserted), (QList<int> { 0, 1, 2 }));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.message(2)->id(), "m3");
    EXPECT_EQ(bodyText(1), "two");
    EXPECT_FALSE(value(3, MessageListModel::BodyRole).isValid());
}

TEST_F(MessageListModelTest, RowsCarryWhatTheRowShows)
{
    ASSERT_TRUE(joined.joined);
    ChatLine broadcaster { "b", "<b>x</b> &amp;", "Streamer", "broadcaster/1,subscriber/12" };
    broadcaster.moderator = true;
    broadcaster.subscriber = true;
    ChatLine moderator { "m", "hi", "Mod", "moderator/1,subscriber/3", "" };
    moderator.moderator = true;
    moderator.subscriber = true;
    ChatLine reply { "r", "@Mod yes", "Answerer", "", "#FF0000" };
    reply.extraTags = QStringLiteral(";reply-parent-message-id=m;reply-parent-user-id=8;reply-parent-user-login=mod;"
                                     "reply-parent-display-name=Mod;reply-parent-message-body=hi");
    ASSERT_TRUE(joined.deliver(QStringList { broadcaster.toString(), moderator.toString(), reply.toString() }));
    ASSERT_EQ(model.rowCount(), 3);

    EXPECT_EQ(bodyText(0), "<b>x</b> &amp;");
    EXPECT_EQ(value(0, MessageListModel::KindRole), MessageListModel::ChatterRow);
    EXPECT_EQ(value(0, MessageListModel::ReplyLineRole), "");
    EXPECT_EQ(value(0, MessageListModel::IsBroadcasterRole), true);
    EXPECT_EQ(value(0, MessageListModel::RoleTooltipRole), "Broadcaster");
    EXPECT_EQ(value(0, MessageListModel::NameColorRole).value<QColor>(), QColor(0x1E, 0x90, 0xFF));
    EXPECT_EQ(value(0, MessageListModel::AccessibleNameRole), "Broadcaster, Streamer: <b>x</b> &amp;");

    EXPECT_EQ(value(1, MessageListModel::IsBroadcasterRole), false);
    EXPECT_EQ(value(1, MessageListModel::RoleTooltipRole), "Moderator");
    const QColor textColor = QGuiApplication::palette().color(QPalette::Text);
    EXPECT_EQ(value(1, MessageListModel::NameColorRole).value<QColor>(), textColor);
    EXPECT_EQ(value(1, MessageListModel::BodyColorRole).value<QColor>(), textColor);

    EXPECT_EQ(value(2, MessageListModel::ReplyLineRole), "Replying to Mod: hi");
    EXPECT_EQ(value(2, MessageListModel::AccessibleNameRole), "Answerer (reply to Mod): @Mod yes");
    EXPECT_EQ(value(2, MessageListModel::RoleTooltipRole), "");

    model.copyDisplayName(0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Streamer");
}

TEST_F(MessageListModelTest, TheTimeIsShownInTheShortFormatOfTheLocale)
{
    ASSERT_TRUE(joined.joined);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "UTC");
    tzset();
    ASSERT_TRUE(joined.deliver(ChatLine { "t", "hi" })); // sent at 2023-11-14 22:13:20 UTC
    model.setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(value(0, MessageListModel::TimeTextRole), "22:13");
    model.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(value(0, MessageListModel::TimeTextRole).toString().simplified(), QStringLiteral("10:13 PM"));
    qputenv("TZ", zone);
    tzset();
}

TEST_F(MessageListModelTest, TheBodyCarriesItsEmoteMarksAndSets)
{
    ASSERT_TRUE(joined.joined);
    ChatLine line { "e", ":) hi" };
    line.emotes = QStringLiteral("1:0-1");
    line.extraTags = QStringLiteral(";emote-sets=0,400000001");
    ASSERT_TRUE(joined.deliver(line));
    const auto body = value(0, MessageListModel::BodyRole).value<TextWithEmotes>();
    EXPECT_EQ(body.text(), ":) hi");
    EXPECT_EQ(body.emotes(), (QList<TwitchEmoteMark> { { "1", 0, 1 } }));
}

TEST(MessageListModel, DroppedMessagesLeaveFromTheFrontAndUpdatesChangeOneRow)
{
    QList<TwitchChatMessage> messages;
    for (const char* id : { "a", "b", "c", "d" }) {
        TwitchChatTextMessage::Fields text;
        text.id = QString::fromLatin1(id);
        text.body = QStringLiteral("body ") + text.id;
        messages.append(TwitchChatMessage(TwitchChatTextMessage(text)));
    }
    MessageListModel model(messages);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.messagesDropped(2);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(1), 0);
    EXPECT_EQ(removed.at(0).at(2), 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.message(0)->id(), "c");

    model.messageUpdated(1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 1);
    model.messageUpdated(2); // no such row
    model.messagesDropped(5); // more than there are: all
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(MessageListModelTest, ActionsDeletionsAndSystemLinesShowAsTheLiveChatSendsThem)
{
    ASSERT_TRUE(joined.joined);
    const QString channel = QString::fromLatin1(sim::demo::login);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(joined.deliver(QStringList {
        ChatLine { "act",
            QStringLiteral("\x01"
                           "ACTION waves\x01") }
            .toString(),
        ChatLine { "gone", "rude words" }.toString(),
        QStringLiteral("@login=viewer;room-id=1;target-msg-id=gone;tmi-sent-ts=1700000000001 :tmi.twitch.tv CLEARMSG "
                       "#%1 :rude words")
            .arg(channel),
        QStringLiteral("@badges=;color=#FF0000;display-name=Herald;emotes=;id=ann;login=herald;msg-id=announcement;"
                       "room-id=1;system-msg=;tmi-sent-ts=1700000000002;user-id=9;user-type= :tmi.twitch.tv USERNOTICE "
                       "#%1 :Hear ye")
            .arg(channel),
        QStringLiteral("@msg-id=slow_on :tmi.twitch.tv NOTICE #%1 :This room is now in slow mode.").arg(channel),
        QStringLiteral("@badges=;color=;display-name=Fan;emotes=;id=sub;login=fan;msg-id=resub;room-id=1;"
                       "system-msg=Fan\\ssubscribed.;tmi-sent-ts=1700000000003;user-id=10;user-type= :tmi.twitch.tv "
                       "USERNOTICE #%1 :Hi")
            .arg(channel),
    }));
    ASSERT_EQ(model.rowCount(), 5);

    // An action reads italic in the sender's colour.
    EXPECT_EQ(value(0, MessageListModel::IsBodyItalicRole), true);
    EXPECT_EQ(value(0, MessageListModel::BodyColorRole).value<QColor>(), QColor(0x1E, 0x90, 0xFF));
    EXPECT_EQ(value(0, MessageListModel::BodyOpacityRole), 1.0);
    EXPECT_EQ(value(0, MessageListModel::AccessibleNameRole), "Viewer waves");

    // The deleted row changed in place and no longer shows its words.
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 1);
    EXPECT_EQ(value(1, MessageListModel::IsBodyItalicRole), true);
    EXPECT_EQ(value(1, MessageListModel::BodyOpacityRole), 0.6);
    EXPECT_EQ(value(1, MessageListModel::BodyColorRole).value<QColor>(), QGuiApplication::palette().color(QPalette::Text));
    EXPECT_EQ(bodyText(1), "<message deleted>");
    EXPECT_EQ(value(1, MessageListModel::AccessibleNameRole), "Viewer: message deleted");

    // An announcement: the headline over the chatter's own words.
    EXPECT_EQ(value(2, MessageListModel::KindRole), MessageListModel::SystemRowWithWords);
    EXPECT_EQ(value(2, MessageListModel::HeadlineRole), "Announcement");
    EXPECT_EQ(value(2, MessageListModel::DisplayNameRole), "Herald");
    EXPECT_EQ(bodyText(2), "Hear ye");
    EXPECT_EQ(value(2, MessageListModel::AccessibleNameRole), "Announcement. Herald: Hear ye");

    // A notice has no chatter: every role still has a value of its type.
    EXPECT_EQ(value(3, MessageListModel::HeadlineRole), "This room is now in slow mode.");
    EXPECT_EQ(value(3, MessageListModel::KindRole), MessageListModel::SystemRow);
    EXPECT_EQ(value(3, MessageListModel::DisplayNameRole), "");
    EXPECT_EQ(value(3, MessageListModel::IsBodyItalicRole), false);
    EXPECT_TRUE(value(3, MessageListModel::NameColorRole).value<QColor>().isValid());
    EXPECT_TRUE(value(3, MessageListModel::BodyRole).canConvert<TextWithEmotes>());
    EXPECT_EQ(value(3, MessageListModel::AccessibleNameRole), "This room is now in slow mode.");
    EXPECT_EQ(value(4, MessageListModel::AccessibleNameRole), "Fan subscribed. Fan: Hi");
}

namespace {

TwitchChatMessage viewerMessage(const QString& body, bool firstMessage = false, const QString& repliedToUserID = {})
{
    TwitchChatTextMessage::Fields fields;
    fields.id = body;
    fields.displayName = QStringLiteral("Viewer");
    fields.userID = QStringLiteral("7");
    fields.body = body;
    fields.isFirstMessage = firstMessage;
    if (!repliedToUserID.isEmpty())
        fields.reply = TwitchChatMessageReply { QStringLiteral("p"), repliedToUserID, QStringLiteral("someone"),
            std::nullopt, QStringLiteral("earlier") };
    return TwitchChatMessage(TwitchChatTextMessage(fields));
}

} // namespace

TEST(MessageListModelHighlights, MentionsRepliesAndFirstMessagesStandOutAsTheSwitchesSay)
{
    TwitchChatTextMessage::Fields own;
    own.id = QStringLiteral("own");
    own.body = QStringLiteral("parley_demo is me");
    MessageListModel model({ viewerMessage(QStringLiteral("hi @Parley_Demo!")),
        viewerMessage(QStringLiteral("ask parley_demo")), viewerMessage(QStringLiteral("parley_demos fan")),
        viewerMessage(QStringLiteral("xparley_demo")), viewerMessage(QStringLiteral("thanks"), false, "100000001"),
        viewerMessage(QStringLiteral("hello all"), true), viewerMessage(QStringLiteral("hey parley_demo"), true),
        TwitchChatMessage(TwitchChatTextMessage(own)) });
    const auto highlights = [&model] {
        QList<int> kinds;
        for (int row = 0; row < model.rowCount(); ++row)
            kinds.append(model.data(model.index(row), MessageListModel::HighlightRole).toInt());
        return kinds;
    };
    using M = MessageListModel;
    EXPECT_EQ(highlights(), QList<int>(8, M::NoHighlight)) << "nothing stands out before the rules are set";

    model.setHighlightRules({ QStringLiteral("parley_demo"), QStringLiteral("100000001"), true, true });
    EXPECT_EQ(highlights(),
        (QList<int> { M::MentionHighlight, M::MentionHighlight, M::NoHighlight, M::NoHighlight, M::MentionHighlight,
            M::FirstMessageHighlight, M::MentionHighlight, M::NoHighlight }));
    EXPECT_TRUE(model.data(model.index(0), M::AccessibleNameRole).toString().startsWith(u"Mention. Viewer: "));
    EXPECT_TRUE(model.data(model.index(5), M::AccessibleNameRole).toString().startsWith(u"First message. Viewer: "));

    model.setHighlightRules({ QStringLiteral("parley_demo"), QStringLiteral("100000001"), false, true });
    EXPECT_EQ(highlights(),
        (QList<int> { M::NoHighlight, M::NoHighlight, M::NoHighlight, M::NoHighlight, M::NoHighlight,
            M::FirstMessageHighlight, M::FirstMessageHighlight, M::NoHighlight }));
}

TEST_F(MessageListModelTest, TheRecentHistoryComesInAboveTheLiveRowsReadAsEarlierAndNeverStandsOut)
{
    ASSERT_TRUE(joined.joined);
    ASSERT_TRUE(joined.deliver(ChatLine { "m3", "live" }));
    model.setHighlightRules({ QStringLiteral("parley_demo"), QStringLiteral("100000001"), true, true });
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    const auto historical = [](const char* id, const char* text) {
        return ChatLine { id, text }.toString().replace(u"@badges="_qs, u"@historical=1;badges="_qs);
    };

    joined.chat.insertHistory({ historical("h1", "hi parley_demo"), historical("h2", "two") });

    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(1), 0);
    EXPECT_EQ(inserted.at(0).at(2), 1);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.message(0)->id(), "h1");
    EXPECT_EQ(model.message(2)->id(), "m3");
    EXPECT_EQ(value(0, MessageListModel::IsHistoricalRole), true);
    EXPECT_EQ(value(2, MessageListModel::IsHistoricalRole), false);
    EXPECT_EQ(value(0, MessageListModel::HighlightRole), MessageListModel::NoHighlight) << "a mention, but not news";
    EXPECT_TRUE(value(0, MessageListModel::AccessibleNameRole).toString().startsWith(u"Earlier: Viewer: hi"));
    EXPECT_FALSE(value(2, MessageListModel::AccessibleNameRole).toString().startsWith(u"Earlier"));
}
