#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/MessageListScrollState.h"
#include "app/ui/chat/MessageSearchFilter.h"
#include "app/ui/chat/SessionViewModel.h"

#include <QFuture>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace parley;

namespace {

TwitchChatMessage text(const QString& name, const QString& body, bool deleted = false)
{
    TwitchChatTextMessage::Fields fields;
    fields.id = body;
    fields.displayName = name;
    fields.body = body;
    fields.isDeleted = deleted;
    return TwitchChatMessage(TwitchChatTextMessage(fields));
}

QStringList shownIDs(const QAbstractItemModel& rows, const MessageListModel& messages)
{
    QStringList ids;
    for (int row = 0; row < rows.rowCount(); ++row)
        ids.append(messages.message(rows.index(row, 0).data(MessageListModel::MessageRowRole).toInt())->id());
    return ids;
}

} // namespace

TEST(MessageSearchFilter, MatchesTheSendersNameOrTheShownTextInAnyCase)
{
    const TwitchChatMessage message = text(QStringLiteral("NightOwl"), QStringLiteral("Good Évening, chat"));
    EXPECT_TRUE(MessageSearchFilter::matches(message, u""));
    EXPECT_TRUE(MessageSearchFilter::matches(message, u"nightowl"));
    EXPECT_TRUE(MessageSearchFilter::matches(message, u"OWL"));
    EXPECT_TRUE(MessageSearchFilter::matches(message, u"évening"));
    EXPECT_TRUE(MessageSearchFilter::matches(message, u"g, C"));
    EXPECT_FALSE(MessageSearchFilter::matches(message, u"morning"));
    EXPECT_FALSE(MessageSearchFilter::matches(message, u"owl good")); // name and text are not one string

    // A deleted message's words are gone from the window: only its sender finds it.
    const TwitchChatMessage deleted = text(QStringLiteral("Troll"), QStringLiteral("rude words"), true);
    EXPECT_FALSE(MessageSearchFilter::matches(deleted, u"rude"));
    EXPECT_TRUE(MessageSearchFilter::matches(deleted, u"troll"));

    // A system line by its headline or the chatter's words under it.
    TwitchChatSystemMessage resub;
    resub.kind = TwitchChatSystemMessage::Kind::userNotice;
    resub.text = QStringLiteral("Fan subscribed for 3 months.");
    resub.userMessage = *text(QStringLiteral("Fan"), QStringLiteral("Hype!")).text();
    EXPECT_TRUE(MessageSearchFilter::matches(TwitchChatMessage(resub), u"3 MONTHS"));
    EXPECT_TRUE(MessageSearchFilter::matches(TwitchChatMessage(resub), u"hype"));
    EXPECT_FALSE(MessageSearchFilter::matches(TwitchChatMessage(resub), u"raid"));
}

TEST(MessageSearchFilter, AListOverTheSearchFollowsTheNewestRowWhenItBeginsAndEnds)
{
    MessageListModel messages({ text("A", "one"), text("B", "two"), text("C", "three") });
    SessionViewModel viewModel(messages, [](const auto&...) { return QFuture<void>(); });
    MessageListScrollState state;
    state.setModel(viewModel.shownMessages());
    QSignalSpy requests(&state, &MessageListScrollState::scrollToLastRequested);

    // The reader scrolls up, then searches: the matches show from the newest.
    state.measure(1000, 100, 400);
    state.userScrolled();
    ASSERT_FALSE(state.isFollowing());
    viewModel.startSearch();
    EXPECT_TRUE(viewModel.isSearching());
    viewModel.setSearchText(QStringLiteral("T"));
    EXPECT_TRUE(state.isFollowing());
    EXPECT_EQ(requests.count(), 1);
    EXPECT_EQ(shownIDs(*viewModel.shownMessages(), messages), (QStringList { "two", "three" }));
    EXPECT_EQ(viewModel.noMatchesText(), "");
    viewModel.setSearchText(QStringLiteral("xyz"));
    EXPECT_EQ(viewModel.noMatchesText(), "No messages match.");

    // Scrolled up again within the search; ending it comes back to the newest
    // row of the whole chat, following.
    state.userScrolled();
    ASSERT_FALSE(state.isFollowing());
    viewModel.endSearch();
    EXPECT_FALSE(viewModel.isSearching());
    EXPECT_EQ(viewModel.searchText(), "");
    EXPECT_EQ(viewModel.noMatchesText(), "");
    EXPECT_EQ(viewModel.shownMessages()->rowCount(), 3);
    EXPECT_TRUE(state.isFollowing());
    EXPECT_EQ(requests.count(), 3);

    // So does an empty search the reader scrolled in.
    viewModel.startSearch();
    state.userScrolled();
    viewModel.endSearch();
    EXPECT_TRUE(state.isFollowing());
    EXPECT_EQ(requests.count(), 4);
}
