#include "app/ui/chat/MessageMenuViewModel.h"

#include "app/session/ModerationActions.h"
#include "app/ui/chat/ChatTestSupport.h"
#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/SessionViewModel.h"
#include "twitch-sim/FaultSpec.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>

using namespace parley;
using parley::test::ChatLine;
using parley::test::JoinedChat;
using parley::test::waitMs;

namespace {

TwitchUserAccessToken tokenWith(const QString& token, bool canModerate)
{
    TwitchUserAccessToken accessToken = test::SimulatedTwitch::token();
    accessToken.token = token;
    if (canModerate)
        accessToken.info.scopes += { TwitchAuthScope::moderatorManageChatMessages,
            TwitchAuthScope::moderatorManageBannedUsers };
    return accessToken;
}

// What a row's menu offers, in the menu's order.
QStringList offers(const MessageMenuViewModel& menu)
{
    QStringList items { menu.copyTitle() };
    const QList<std::pair<bool, QString>> optional {
        { menu.offersReply(), menu.replyTitle() },
        { menu.offersDelete(), menu.deleteTitle() },
        { menu.offersTimeout(), menu.timeoutTitle() },
        { menu.offersBan(), menu.banTitle() },
        { menu.offersUnban(), menu.unbanTitle() },
    };
    for (const auto& [offered, title] : optional)
        if (offered)
            items.append(title);
    return items;
}

class MessageMenuViewModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(chat.joined);
        ChatLine own { .id = u"own-1"_qs, .text = u"welcome all"_qs, .displayName = u"Parley_Demo"_qs };
        ASSERT_TRUE(chat.deliver(QStringList {
            ChatLine { .id = u"v-1"_qs, .text = u"buy followers"_qs }.toString(),
            own.toString().replace(u"user-id=7"_qs, u"user-id="_qs + QString::fromLatin1(sim::demo::userID)),
            u"@ban-duration=60;room-id=100000001;target-user-id=9;tmi-sent-ts=1700000000000 "
            ":tmi.twitch.tv CLEARCHAT #parley_demo :someone"_qs,
        }));
        ASSERT_EQ(messages.rowCount(), 3);
    }

    std::unique_ptr<MessageMenuViewModel> menuWith(ModerationActions* actions)
    {
        return std::make_unique<MessageMenuViewModel>(
            messages, session, actions, QString::fromLatin1(sim::demo::userID));
    }

    QString lastRequest() const
    {
        const sim::SimRequest request = chat.twitch.sim.requests().constLast();
        return QString::fromLatin1(request.method) + u' ' + request.path + u'?' + request.query;
    }

    JoinedChat chat;
    MessageListModel messages { chat.chat };
    QStringList sentReplyParents;
    SessionViewModel session { messages, [this](const QString&, const QString& replyParentMessageID) {
                                  sentReplyParents.append(replyParentMessageID);
                                  return QtFuture::makeReadyFuture();
                              } };
    ModerationActions moderation { TwitchModeration(
        *chat.twitch.api, tokenWith(QString::fromLatin1(sim::demo::token), true)) };
    std::unique_ptr<MessageMenuViewModel> menu = menuWith(&moderation);
};

TEST_F(MessageMenuViewModelTest, EachRowOffersWhatItsSenderAllows)
{
    ASSERT_TRUE(menu->open(0));
    EXPECT_EQ(offers(*menu), (QStringList { "Copy Message", "Reply", "Delete Message", "Timeout", "Ban" }));
    ASSERT_TRUE(menu->open(1)); // the broadcaster's own
    EXPECT_EQ(offers(*menu), (QStringList { "Copy Message", "Reply" }));
    ASSERT_TRUE(menu->open(2)); // a system line
    EXPECT_EQ(offers(*menu), QStringList { "Copy Message" });
    EXPECT_FALSE(menu->open(3));
    EXPECT_EQ(offers(*menu), QStringList { "Copy Message" });

    // Once banned (here, or by another moderator in the chat) the row offers Unban.
    ASSERT_TRUE(menu->open(0));
    EXPECT_EQ(menu->banQuestion(), "Ban Viewer from your chat?");
    QSignalSpy changes(menu.get(), &MessageMenuViewModel::rowChanged);
    menu->ban();
    ASSERT_TRUE(changes.wait(waitMs));
    EXPECT_EQ(offers(*menu), (QStringList { "Copy Message", "Reply", "Delete Message", "Unban" }));
    menu->unban();
    ASSERT_TRUE(changes.wait(waitMs));
    EXPECT_EQ(offers(*menu), (QStringList { "Copy Message", "Reply", "Delete Message", "Timeout", "Ban" }));
    EXPECT_EQ(session.errorMessage(), "");
}

TEST_F(MessageMenuViewModelTest, ItemsActOnTheRowTheMenuWasOpenedFor)
{
    ASSERT_TRUE(menu->open(0));
    menu->copyMessage();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "buy followers");

    menu->reply();
    EXPECT_EQ(session.replyingTo(), "Replying to Viewer");
    session.setNewMessage(u"no thanks"_qs);
    session.send();
    EXPECT_EQ(sentReplyParents, QStringList { "v-1" });

    menu->deleteMessage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.message(0)->text()->isDeleted(); }, waitMs));
    EXPECT_EQ(lastRequest(),
        "DELETE /helix/moderation/chat?broadcaster_id=100000001&moderator_id=100000001&message_id=v-1");
    menu->open(0);
    EXPECT_FALSE(menu->offersDelete()); // deleted already

    menu->timeout(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chat.twitch.sim.requests().constLast().method == "POST"; }, waitMs));
    EXPECT_EQ(QJsonDocument::fromJson(chat.twitch.sim.requests().constLast().body).object()[u"data"][u"duration"], 600);
    EXPECT_EQ(menu->timeoutChoices(), (QStringList { "1 minute", "10 minutes", "1 hour", "1 day" }));
}

TEST_F(MessageMenuViewModelTest, FailuresAndMissingScopesSayWhatToDoOnTheErrorLine)
{
    chat.twitch.sim.setFault(u"/helix/moderation/chat"_qs, sim::parseFaultSpec(u"status:404"_qs).value());
    ASSERT_TRUE(menu->open(0));
    menu->deleteMessage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.errorMessage().isEmpty(); }, waitMs));
    EXPECT_EQ(session.errorMessage(), "The message is older than 6 hours or already gone.");

    ModerationActions chatOnly { TwitchModeration(
        *chat.twitch.api, tokenWith(QString::fromLatin1(sim::demo::chatOnlyToken), false)) };
    for (ModerationActions* actions : { &chatOnly, static_cast<ModerationActions*>(nullptr) }) {
        session.showErrorMessage({});
        const int requests = chat.twitch.sim.totalRequestCount();
        const auto signedInWithoutScopes = menuWith(actions);
        ASSERT_TRUE(signedInWithoutScopes->open(0));
        EXPECT_EQ(offers(*signedInWithoutScopes),
            (QStringList { "Copy Message", "Reply", "Delete Message", "Timeout", "Ban" }));
        signedInWithoutScopes->ban();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session.errorMessage().isEmpty(); }, waitMs));
        EXPECT_EQ(session.errorMessage(), "Sign in again to moderate.");
        EXPECT_EQ(chat.twitch.sim.totalRequestCount(), requests);
    }
}

} // namespace
