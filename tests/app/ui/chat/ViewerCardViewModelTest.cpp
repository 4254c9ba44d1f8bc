#include "app/ui/chat/ChatTestSupport.h"

#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/SessionViewModel.h"
#include "app/ui/chat/ViewerCardViewModel.h"
#include "app/ui/chat/ViewerModeration.h"

#include <QPromise>
#include <QSet>

#include <stdexcept>

using namespace parley;
using namespace std::chrono_literals;
using parley::test::ChatLine;
using parley::test::JoinedChat;

namespace {

// Moderation whose actions finish when the test says so.
class HeldModeration final : public ViewerModeration {
public:
    bool canModerate() const override { return allowed; }
    bool isBanned(const QString& userID) const override { return banned.contains(userID); }
    QFuture<void> timeout(const QString& userID, std::chrono::seconds duration) override
    {
        return hold(QStringLiteral("timeout %1 %2").arg(userID).arg(duration.count()));
    }
    QFuture<void> ban(const QString& userID) override { return hold(QStringLiteral("ban ") + userID); }
    QFuture<void> unban(const QString& userID) override { return hold(QStringLiteral("unban ") + userID); }

    void finish(bool succeeded = true)
    {
        QPromise<void> promise = std::move(pending);
        if (!succeeded)
            promise.setException(std::make_exception_ptr(std::runtime_error("refused")));
        promise.finish();
    }

    bool allowed = true;
    QSet<QString> banned;
    QStringList calls;
    QPromise<void> pending;

private:
    QFuture<void> hold(const QString& call)
    {
        calls.append(call);
        pending = QPromise<void>();
        pending.start();
        return pending.future();
    }
};

// A line from a second viewer, "Other" (user id 8).
QString otherLine(const QString& id, const QString& text)
{
    return ChatLine { id, text }.toString().replace(QStringLiteral("user-id=7"), QStringLiteral("user-id=8"))
        .replace(QStringLiteral("display-name=Viewer"), QStringLiteral("display-name=Other"));
}

QStringList bodies(const QAbstractItemModel& rows)
{
    QStringList texts;
    for (int row = 0; row < rows.rowCount(); ++row)
        texts.append(rows.index(row, 0).data(MessageListModel::BodyRole).value<TextWithEmotes>().text());
    return texts;
}

TwitchChatMessage message(const QString& id, const QString& userID)
{
    TwitchChatTextMessage::Fields fields;
    fields.id = id;
    fields.body = id;
    fields.displayName = userID.isEmpty() ? QStringLiteral("parley_demo") : QStringLiteral("Viewer");
    fields.userID = userID;
    return TwitchChatMessage(TwitchChatTextMessage(fields));
}

} // namespace

TEST(ViewerCardViewModel, ShowsOnlyTheViewersMessagesNewestLastAndKeepsUpWithTheChat)
{
    JoinedChat joined;
    ASSERT_TRUE(joined.joined);
    MessageListModel messages(joined.chat);
    SessionViewModel session(messages, [](const auto&...) { return QFuture<void>(); });
    session.setViewerCardSources(QStringLiteral("1"), nullptr);
    ASSERT_TRUE(joined.deliver(QStringList { ChatLine { "a", "hello", "Viewer", "", "#FF0000" }.toString(),
        otherLine("b", "not theirs"), ChatLine { "c", "bye", "Viewer", "", "#00FF00" }.toString() }));

    session.openViewerCard(1);
    ASSERT_TRUE(session.viewerCard());
    EXPECT_EQ(session.viewerCard()->displayName(), "Other");
    session.openViewerCard(0);
    ViewerCardViewModel* card = session.viewerCard();
    ASSERT_TRUE(card);
    EXPECT_EQ(card->userID(), "7");
    EXPECT_EQ(bodies(*card->messages()), (QStringList { "hello", "bye" }));
    EXPECT_EQ(card->nameColor(), QColor(0, 255, 0)); // the newest message's
    EXPECT_EQ(card->banQuestion(), "Ban Viewer from your chat?");

    // New messages arrive at the end; a deleted one stays, shown as deleted,
    // and the name follows a change of colour.
    QSignalSpy viewerChanged(card, &ViewerCardViewModel::viewerChanged);
    ASSERT_TRUE(joined.deliver(QStringList {
        otherLine("d", "still not theirs"),
        ChatLine { "e", "back again", "Viewer", "moderator/1", "#0000FF" }.toString(),
        QStringLiteral("@login=viewer;room-id=1;target-msg-id=a;tmi-sent-ts=1700000000001 :tmi.twitch.tv CLEARMSG "
                       "#%1 :hello")
            .arg(QString::fromLatin1(sim::demo::login)),
    }));
    EXPECT_EQ(bodies(*card->messages()), (QStringList { "<message deleted>", "bye", "back again" }));
    EXPECT_EQ(card->nameColor(), QColor(0, 0, 255));
    EXPECT_GE(viewerChanged.count(), 1);

    // A row no viewer wrote opens nothing; closing lets the card go.
    session.openViewerCard(99);
    EXPECT_EQ(session.viewerCard(), card);
    session.closeViewerCard();
    EXPECT_EQ(session.viewerCard(), nullptr);
}

TEST(ViewerCardViewModel, TheBroadcastersOwnCardHasTheirMessagesAndNoModeration)
{
    // One's own messages carry no user id; sent elsewhere, they carry one's own.
    MessageListModel messages({ message("mine", ""), message("theirs", "7"), message("mine elsewhere", "1") });
    HeldModeration moderation;
    ViewerCardViewModel card(messages, QStringLiteral("1"), QStringLiteral("1"), &moderation);
    EXPECT_EQ(bodies(*card.messages()), (QStringList { "mine", "mine elsewhere" }));
    EXPECT_FALSE(card.showsModeration());
    EXPECT_FALSE(card.showsTimeoutAndBan());
    EXPECT_FALSE(card.showsUnban());
    EXPECT_EQ(card.moderationHint(), "");
    card.requestBan();
    card.ban();
    card.timeout(0);
    EXPECT_TRUE(moderation.calls.isEmpty());
}

TEST(ViewerCardViewModel, ButtonsFollowTheSignInsPermissionsAndTheBan)
{
    MessageListModel messages({ message("hi", "7") });
    HeldModeration moderation;
    moderation.allowed = false;
    ViewerCardViewModel card(messages, QStringLiteral("7"), QStringLiteral("1"), &moderation);

    // Without the permissions: shown, but asking to sign in again.
    EXPECT_TRUE(card.showsTimeoutAndBan());
    EXPECT_FALSE(card.areActionsEnabled());
    EXPECT_EQ(card.moderationHint(), "Sign in again to moderate.");
    card.timeout(0);
    EXPECT_TRUE(moderation.calls.isEmpty());
    EXPECT_EQ(ViewerCardViewModel(messages, "7", "1", nullptr).moderationHint(), "Sign in again to moderate.");

    moderation.allowed = true;
    QSignalSpy changed(&card, &ViewerCardViewModel::moderationChanged);
    emit moderation.changed();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(card.areActionsEnabled());
    EXPECT_EQ(card.moderationHint(), "");

    // The four timeouts; nothing else starts while one is under way.
    EXPECT_EQ(card.timeoutChoices(), (QStringList { "1 minute", "10 minutes", "1 hour", "1 day" }));
    card.timeout(3);
    EXPECT_TRUE(card.isBusy());
    EXPECT_FALSE(card.areActionsEnabled());
    card.timeout(0);
    moderation.finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !card.isBusy(); }));
    card.timeout(4); // no such choice
    EXPECT_EQ(moderation.calls, (QStringList { "timeout 7 86400" }));

    // A ban is asked first; a cancelled one does nothing.
    card.ban();
    card.requestBan();
    EXPECT_TRUE(card.isConfirmingBan());
    card.cancelBan();
    card.ban();
    EXPECT_EQ(moderation.calls.size(), 1);
    card.requestBan();
    card.ban();
    EXPECT_FALSE(card.isConfirmingBan());
    EXPECT_EQ(moderation.calls.last(), "ban 7");

    // A refused action says why; banned, only Unban shows.
    moderation.finish(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !card.isBusy(); }));
    EXPECT_EQ(card.errorMessage(), "An unexpected error happened.");
    moderation.banned.insert(QStringLiteral("7"));
    emit moderation.changed();
    EXPECT_FALSE(card.showsTimeoutAndBan());
    EXPECT_TRUE(card.showsUnban());
    card.unban();
    moderation.finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !card.isBusy(); }));
    EXPECT_EQ(moderation.calls.last(), "unban 7");
    EXPECT_EQ(card.errorMessage(), "");
}
