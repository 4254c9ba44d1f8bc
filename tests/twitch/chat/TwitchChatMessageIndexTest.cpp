#include "twitch/chat/TwitchChatMessageIndex.h"
#include "twitch/chat/internal/SlidingList.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

// A list and its index, kept in step the way the chat client keeps them.
class IndexedList {
public:
    void append(const QString& id, const QString& userID)
    {
        TwitchChatTextMessage::Fields fields;
        fields.id = id;
        fields.userID = userID;
        messages_.append(TwitchChatMessage(TwitchChatTextMessage(fields)));
        index_.appendLast();
    }

    void appendSystemLine()
    {
        messages_.append(TwitchChatMessage(TwitchChatSystemMessage {}));
        index_.appendLast();
    }

    void dropFront(qsizetype count)
    {
        index_.dropFront(count);
        messages_.remove(0, count);
    }

    const TwitchChatMessageIndex& index() const { return index_; }

private:
    QList<TwitchChatMessage> messages_;
    TwitchChatMessageIndex index_ { messages_ };
};

} // namespace

TEST(TwitchChatMessageIndex, FindsMessagesAndSendersAsTheListMoves)
{
    IndexedList list;
    list.append(u"a"_qs, u"1"_qs);
    list.appendSystemLine();
    list.append(u"b"_qs, u"2"_qs);
    list.append(u"c"_qs, u"1"_qs);
    list.append(u"a"_qs, u"3"_qs); // a repeated id: the newer one is found
    EXPECT_EQ(list.index().positionOfMessage(u"a"_qs), 4);
    EXPECT_EQ(list.index().positionOfMessage(u"b"_qs), 2);
    EXPECT_EQ(list.index().positionsOfUser(u"1"_qs), (QList<qsizetype> { 0, 3 }));
    EXPECT_FALSE(list.index().positionOfMessage(u"zz"_qs));
    EXPECT_TRUE(list.index().positionsOfUser(u""_qs).isEmpty());

    list.dropFront(3);
    EXPECT_FALSE(list.index().positionOfMessage(u"b"_qs));
    EXPECT_EQ(list.index().positionOfMessage(u"c"_qs), 0);
    EXPECT_EQ(list.index().positionsOfUser(u"1"_qs), (QList<qsizetype> { 0 }));
    EXPECT_TRUE(list.index().positionsOfUser(u"2"_qs).isEmpty());
}

TEST(TwitchChatMessageIndex, DroppedEntriesNeverAnswer)
{
    IndexedList list;
    const qsizetype kept = 10;
    const qsizetype count = 5000;
    for (qsizetype i = 0; i < count; ++i) {
        list.append(QString::number(i), QString::number(i % 7));
        if (i >= kept)
            list.dropFront(1);
    }
    const qsizetype last = count - 1;
    EXPECT_FALSE(list.index().positionOfMessage(QString::number(last - kept)));
    EXPECT_EQ(list.index().positionOfMessage(QString::number(last - kept + 1)), 0);
    EXPECT_EQ(list.index().positionsOfUser(QString::number(last % 7)), (QList<qsizetype> { 2, 9 }));
}

// Without the room, Qt grows the block each time the back is reached and a
// bounded history ends up holding more than twice the memory it needs.
TEST(SlidingList, ABoundedListThatLosesItsFrontKeepsItsBlock)
{
    QList<qint64> list;
    const qsizetype bound = 1000;
    for (qint64 value = 0; value < 20 * bound; ++value) {
        list.append(value);
        if (list.size() > bound) {
            list.removeFirst();
            keepSlidingRoom(list);
        }
    }
    EXPECT_LE(list.capacity(), bound + bound / 2 + 1);
    EXPECT_EQ(list.constFirst(), 19 * bound);
    EXPECT_EQ(list.constLast(), 20 * bound - 1);
}
