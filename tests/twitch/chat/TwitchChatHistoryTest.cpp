#include "twitch/chat/internal/TwitchChatHistory.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

TwitchChatMessage textMessage(const QString& id, const QString& userID)
{
    TwitchChatTextMessage::Fields fields;
    fields.id = id;
    fields.userID = userID;
    return TwitchChatMessage(TwitchChatTextMessage(fields));
}

// Appends the way the chat client does: room first, then the message.
void add(TwitchChatHistory& history, TwitchChatMessage message)
{
    history.makeRoom();
    history.append(std::move(message));
}

QStringList ids(const TwitchChatHistory& history)
{
    QStringList ids;
    for (const TwitchChatMessage& message : history.messages())
        ids.append(message.text() ? message.text()->id() : u"-"_qs);
    return ids;
}

TwitchChatClear clearOf(TwitchChatClear::Kind kind, const QString& target)
{
    TwitchChatClear clear;
    clear.kind = kind;
    (kind == TwitchChatClear::Kind::message ? clear.targetMessageID : clear.targetUserID) = target;
    return clear;
}

} // namespace

TEST(TwitchChatHistory, KeepsTheNewestUpToItsCapacity)
{
    TwitchChatHistory history(3);
    EXPECT_EQ(history.makeRoom(), 0);
    for (const QString& id : { u"a"_qs, u"b"_qs, u"c"_qs })
        history.append(textMessage(id, u"1"_qs));
    EXPECT_EQ(history.makeRoom(), 1);
    EXPECT_EQ(history.append(textMessage(u"d"_qs, u"1"_qs)).text()->id(), u"d"_qs);
    EXPECT_EQ(ids(history), (QStringList { u"b"_qs, u"c"_qs, u"d"_qs }));
}

TEST(TwitchChatHistory, MarksDeletionsOnceAndReturnsThemNewestFirst)
{
    TwitchChatHistory history(4);
    add(history, textMessage(u"a"_qs, u"1"_qs));
    add(history, textMessage(u"b"_qs, u"1"_qs));
    add(history, TwitchChatMessage(TwitchChatSystemMessage {}));
    add(history, textMessage(u"c"_qs, u"2"_qs));
    add(history, textMessage(u"d"_qs, u"1"_qs)); // drops "a": positions move down by one
    ASSERT_EQ(ids(history), (QStringList { u"b"_qs, u"-"_qs, u"c"_qs, u"d"_qs }));

    EXPECT_EQ(history.markDeleted(clearOf(TwitchChatClear::Kind::message, u"c"_qs)), (QList<qsizetype> { 2 }));
    EXPECT_TRUE(history.messages().at(2).text()->isDeleted());
    EXPECT_TRUE(history.markDeleted(clearOf(TwitchChatClear::Kind::message, u"c"_qs)).isEmpty());
    EXPECT_TRUE(history.markDeleted(clearOf(TwitchChatClear::Kind::message, u"a"_qs)).isEmpty());

    EXPECT_EQ(history.markDeleted(clearOf(TwitchChatClear::Kind::user, u"1"_qs)), (QList<qsizetype> { 3, 0 }));
    EXPECT_TRUE(history.markDeleted(clearOf(TwitchChatClear::Kind::user, u"1"_qs)).isEmpty());
    EXPECT_TRUE(history.markDeleted(clearOf(TwitchChatClear::Kind::user, u""_qs)).isEmpty());
}

TEST(TwitchChatHistory, AWholeChatClearMarksNothing)
{
    TwitchChatHistory history(2);
    add(history, textMessage(u"a"_qs, u"1"_qs));
    EXPECT_TRUE(history.markDeleted(TwitchChatClear {}).isEmpty());
    EXPECT_FALSE(history.messages().first().text()->isDeleted());
}

TEST(TwitchChatHistory, RecentMessagesGoInAtTheirPlaceWithinTheCapacity)
{
    TwitchChatHistory history(5);
    for (const QString& id : { u"a"_qs, u"b"_qs, u"e"_qs })
        add(history, textMessage(id, u"1"_qs));
    const QList<TwitchChatMessage> recent { textMessage(u"x"_qs, u"1"_qs), textMessage(u"b"_qs, u"1"_qs),
        textMessage(u"c"_qs, u"2"_qs), textMessage(u"d"_qs, u"1"_qs), textMessage(u"e"_qs, u"1"_qs) };

    // Nothing up to "b", shown before the place, and not "e", shown after it.
    const TwitchChatHistory::Insertion insertion = history.insert(2, recent);
    EXPECT_EQ(ids(history), (QStringList { u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs }));
    EXPECT_EQ(insertion.dropped, 0);
    EXPECT_EQ(insertion.position, 2);
    EXPECT_EQ(insertion.count, 2);
    EXPECT_EQ(history.markDeleted(clearOf(TwitchChatClear::Kind::user, u"2"_qs)), (QList<qsizetype> { 2 }))
        << "the index follows";

    // Full: the oldest shown messages make room, then the oldest recent ones.
    const TwitchChatHistory::Insertion full
        = history.insert(1, { textMessage(u"p"_qs, u"3"_qs), textMessage(u"q"_qs, u"3"_qs) });
    EXPECT_EQ(ids(history), (QStringList { u"q"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs }));
    EXPECT_EQ(full.dropped, 1);
    EXPECT_EQ(full.position, 0);
    EXPECT_EQ(full.count, 1);
}
