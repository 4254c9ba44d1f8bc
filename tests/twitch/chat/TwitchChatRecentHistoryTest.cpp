#include "twitch/chat/TwitchChat.h"

#include "platform/Diagnostics.h"
#include "support/ChatLine.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::sim;
using namespace parley::test;

namespace {

constexpr int timeout = 10000;

// A line as the history service keeps it: the chat line with its own tags.
QString recent(const QString& id, const QString& text, bool deleted = false)
{
    return ChatLine { id, text }.toString().replace(u"@badges="_qs,
        u"@historical=1;rm-received-ts=1700000000500;"_qs + (deleted ? u"rm-deleted=1;"_qs : QString()) +
            u"badges="_qs);
}

// "id" for a live message, "id*" for a historical one, "id~" for a deleted one.
QStringList shown(const TwitchChat& chat)
{
    QStringList shown;
    for (const TwitchChatMessage& message : chat.messages()) {
        const TwitchChatTextMessage* text = message.text();
        if (!text) {
            shown.append(message.system()->isHistorical ? u"system*"_qs : u"system"_qs);
            continue;
        }
        shown.append(
            text->id() + (text->isHistorical() ? u"*"_qs : QString()) + (text->isDeleted() ? u"~"_qs : QString()));
    }
    return shown;
}

class TwitchChatRecentHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(simulator.start(), 0);
        TwitchEndpoints endpoints;
        endpoints.chatURL = simulator.chatURL();
        TwitchUserAccessToken::Info info;
        info.login = QString::fromLatin1(demo::login);
        chat = std::make_unique<TwitchChat>(
            endpoints, TwitchUserAccessToken { QString::fromLatin1(demo::token), info });
        TwitchChatTiming timing;
        timing.firstRetry = timing.lastRetry = std::chrono::milliseconds(100);
        timing.jitter = 0;
        chat->setTiming(timing);
        QSignalSpy roomChanged(chat.get(), &TwitchChat::roomChanged);
        connection = chat->connect();
        ASSERT_TRUE(roomChanged.wait(timeout));
    }

    void deliver(const QString& frame)
    {
        const qsizetype before = chat->messages().size();
        simulator.chat().sendText(frame);
        ASSERT_TRUE(QTest::qWaitFor([&] { return chat->messages().size() > before; }, timeout));
    }

    DiagnosticsSilence silence;
    TwitchSimulator simulator;
    std::unique_ptr<TwitchChat> chat;
    std::unique_ptr<TwitchChatConnection> connection;
};

} // namespace

TEST_F(TwitchChatRecentHistoryTest, GoesBeforeTheLiveMessagesInItsOrderAndShowsEachMessageOnce)
{
    deliver(ChatLine { u"m3"_qs, u"live"_qs }.toString());
    QSignalSpy inserted(chat.get(), &TwitchChat::messagesInserted);
    QSignalSpy appended(chat.get(), &TwitchChat::messageAppended);

    chat->insertHistory({ recent(u"m1"_qs, u"one"_qs), u"not a chat line"_qs, recent(u"m2"_qs, u"two"_qs),
        recent(u"m3"_qs, u"live"_qs) });

    EXPECT_EQ(shown(*chat), (QStringList { u"m1*"_qs, u"m2*"_qs, u"m3"_qs }));
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(0).value<qsizetype>(), 0);
    EXPECT_EQ(inserted.at(0).at(1).value<qsizetype>(), 2);
    EXPECT_TRUE(appended.isEmpty()) << "history is not news";
    EXPECT_EQ(chat->messages().at(1).text()->body(), u"two") << "read as a live line, without the service's tags";

    // Asked again (another reconnect, say), nothing is shown twice.
    chat->insertHistory({ recent(u"m1"_qs, u"one"_qs), recent(u"m2"_qs, u"two"_qs) });
    EXPECT_EQ(shown(*chat), (QStringList { u"m1*"_qs, u"m2*"_qs, u"m3"_qs }));
    EXPECT_EQ(inserted.size(), 1);
}

TEST_F(TwitchChatRecentHistoryTest, AfterAReconnectWhatWasMissedFillsTheGap)
{
    deliver(ChatLine { u"m1"_qs, u"one"_qs }.toString());
    deliver(ChatLine { u"m2"_qs, u"two"_qs }.toString());
    QSignalSpy joined(&simulator.chat(), &SimChatService::clientJoined);
    simulator.chat().dropConnections();
    ASSERT_TRUE(joined.wait(timeout));
    deliver(ChatLine { u"m5"_qs, u"five"_qs }.toString());

    // The history runs from before the gap up to after it.
    chat->insertHistory({ recent(u"m0"_qs, u"older"_qs), recent(u"m1"_qs, u"one"_qs), recent(u"m2"_qs, u"two"_qs),
        recent(u"m3"_qs, u"three"_qs), recent(u"m4"_qs, u"four"_qs), recent(u"m5"_qs, u"five"_qs) });

    EXPECT_EQ(shown(*chat), (QStringList { u"m1"_qs, u"m2"_qs, u"m3*"_qs, u"m4*"_qs, u"m5"_qs }));
}

TEST_F(TwitchChatRecentHistoryTest, DeletionsInTheHistoryApply)
{
    deliver(ChatLine { u"m9"_qs, u"live"_qs }.toString());
    QSignalSpy updated(chat.get(), &TwitchChat::messageUpdated);

    chat->insertHistory({
        recent(u"m1"_qs, u"removed"_qs, true),
        recent(u"m2"_qs, u"cleared later"_qs),
        u"@historical=1;login=viewer;rm-received-ts=1700000000600;target-msg-id=m2;tmi-sent-ts=1700000000600 "
        ":tmi.twitch.tv CLEARMSG #parley_demo :cleared later"_qs,
        u"@ban-duration=5;historical=1;rm-received-ts=1700000000700;target-user-id=8 "
        ":tmi.twitch.tv CLEARCHAT #parley_demo :someone"_qs,
        recent(u"m9"_qs, u"live"_qs, true),
    });

    EXPECT_EQ(shown(*chat), (QStringList { u"m1*~"_qs, u"m2*~"_qs, u"system*"_qs, u"m9~"_qs }));
    const TwitchChatSystemMessage* timeout = chat->messages().at(2).system();
    EXPECT_EQ(timeout->text, u"someone has been timed out for 5 seconds.");
    EXPECT_TRUE(timeout->sentAt) << "from the service's time of receipt";
    ASSERT_EQ(updated.size(), 1) << "the shown message the history has deleted";
    EXPECT_EQ(updated.at(0).at(0).value<qsizetype>(), 0);
}

TEST_F(TwitchChatRecentHistoryTest, AFailureNoticeGoesWhereTheHistoryWouldHaveGone)
{
    deliver(ChatLine { u"m1"_qs, u"live"_qs }.toString());
    chat->insertHistoryNotice(u"Recent chat could not be loaded."_qs);
    ASSERT_EQ(shown(*chat), (QStringList { u"system"_qs, u"m1"_qs }));
    EXPECT_EQ(chat->messages().at(0).system()->text, u"Recent chat could not be loaded.");
}
