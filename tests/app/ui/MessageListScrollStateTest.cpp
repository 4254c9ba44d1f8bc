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

TEST(MessageListScrollState, JudgesAModelChangeByTheGeometryFromBeforeIt)
{
    MessageListModel model(QList<TwitchChatMessage> { message("a"), message("b") });
    MessageListScrollState state;
    state.setModel(&model);
    QSignalSpy requests(&state, &MessageListScrollState::scrollToLastRequested);

    // At the bottom when the change begins; the view lays the new row out
    // (content grows by 200) before the change ends: still follows.
    state.measure(1000, 600, 400);
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, &state, [&] { state.measure(1200, 600, 400); });
    model.messagesDropped(1);
    EXPECT_EQ(requests.count(), 1);

    // Scrolled up 150 points: the change leaves the position alone even if the
    // geometry it produces would say otherwise.
    QObject::disconnect(&model, nullptr, &state, nullptr);
    state.measure(1000, 450, 400);
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, &state, [&] { state.measure(1000, 600, 400); });
    model.messagesDropped(1);
    EXPECT_EQ(requests.count(), 1);
}

TEST(MessageListScrollState, ABurstFollowsUntilTheViewHasScrolled)
{
    MessageListModel model(QList<TwitchChatMessage> { message("a"), message("b"), message("c") });
    MessageListScrollState state;
    state.setModel(&model);
    QSignalSpy requests(&state, &MessageListScrollState::scrollToLastRequested);

    state.measure(1000, 600, 400);
    model.messagesDropped(1);
    // Before the view scrolls it measures the grown content from the old
    // position: the burst's next change follows all the same.
    state.measure(5000, 600, 400);
    model.messagesDropped(1);
    EXPECT_EQ(requests.count(), 2);

    // Once scrolled, the reader's position rules again.
    state.scrolledToLast();
    model.messagesDropped(1);
    EXPECT_EQ(requests.count(), 2);
}
