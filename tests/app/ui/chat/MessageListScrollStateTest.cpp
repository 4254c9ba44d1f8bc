#include "app/ui/chat/MessageListScrollState.h"
#include "app/ui/chat/MessageListModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace parley;

namespace {

// Content 1000 points high in a 400-point window; `above` points between the
// bottom of the visible area and the bottom of the content.
bool followsFrom(double above, int newRowCount = 1)
{
    MessageListScrollState state;
    state.measure(1000, 600 - above, 400);
    return state.shouldScrollToLast(newRowCount);
}

TwitchChatMessage message(const QString& id)
{
    TwitchChatTextMessage::Fields text;
    text.id = id;
    return TwitchChatMessage(TwitchChatTextMessage(text));
}

} // namespace

TEST(MessageListScrollState, FollowsOnlyWithinOneHundredPointsOfTheBottom)
{
    EXPECT_TRUE(followsFrom(0));
    EXPECT_TRUE(followsFrom(60));
    EXPECT_TRUE(followsFrom(100));
    EXPECT_FALSE(followsFrom(100.5));
    EXPECT_FALSE(followsFrom(150));
    EXPECT_FALSE(followsFrom(0, 0)); // an empty list has no last row

    // Content that fits always follows, whatever the offset; so does a new state.
    MessageListScrollState fits;
    fits.measure(300, 0, 400);
    EXPECT_TRUE(fits.shouldScrollToLast(1));
    EXPECT_TRUE(MessageListScrollState().shouldScrollToLast(1));
}

TEST(MessageListScrollState, OnlyTheReaderMovesTheFollowingMark)
{
    MessageListModel model(QList<TwitchChatMessage> { message("a"), message("b"), message("c"), message("d") });
    MessageListScrollState state;
    state.setModel(&model);
    QSignalSpy requests(&state, &MessageListScrollState::scrollToLastRequested);
    QSignalSpy following(&state, &MessageListScrollState::isFollowingChanged);
    EXPECT_TRUE(state.isFollowing());

    // Following: a row five lines high arrives and leaves the bottom 300
    // points away before the view scrolls; rows grow, the view shrinks. Each
    // keeps the newest row in view.
    state.measure(1000, 600, 400);
    model.messagesDropped(1);
    state.measure(1300, 600, 400);
    state.layoutChanged();
    state.measure(1300, 600, 300);
    state.layoutChanged();
    model.messagesDropped(1);
    EXPECT_EQ(requests.count(), 4);
    EXPECT_TRUE(state.isFollowing());

    // The reader scrolls 150 points up: nothing moves them any more.
    state.measure(1000, 450, 400);
    state.userScrolled();
    EXPECT_FALSE(state.isFollowing());
    model.messagesDropped(1);
    state.layoutChanged();
    EXPECT_EQ(requests.count(), 4);

    // Back within 100 points by themselves, or by asking for the newest row.
    state.measure(1000, 540, 400);
    state.userScrolled();
    EXPECT_TRUE(state.isFollowing());
    state.measure(1000, 0, 400);
    state.userScrolled();
    state.followLatest();
    EXPECT_TRUE(state.isFollowing());
    EXPECT_EQ(requests.count(), 5);
    EXPECT_EQ(following.count(), 4);
}

TEST(MessageListScrollState, AWheelNotchMovesThreeLines)
{
    EXPECT_DOUBLE_EQ(MessageListScrollState::wheelScrollDistance(120, 20), -60);
    EXPECT_DOUBLE_EQ(MessageListScrollState::wheelScrollDistance(-240, 20), 120);
    // A high-resolution wheel turns in smaller steps.
    EXPECT_DOUBLE_EQ(MessageListScrollState::wheelScrollDistance(40, 18), -18);
}
