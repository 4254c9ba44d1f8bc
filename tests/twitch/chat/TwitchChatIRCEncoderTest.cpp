#include "twitch/chat/TwitchChatIRCEncoder.h"
#include "twitch/chat/TwitchChatIRCMessage.h"

#include <gtest/gtest.h>

using namespace parley;

TEST(TwitchChatIRCEncoder, ConnectLinesAndPong)
{
    EXPECT_EQ(TwitchChatIRCEncoder::capabilityRequest(u"twitch.tv"), u"CAP REQ :twitch.tv/commands twitch.tv/tags");
    EXPECT_EQ(TwitchChatIRCEncoder::pass(u"abc123"), u"PASS oauth:abc123");
    EXPECT_EQ(TwitchChatIRCEncoder::nick(u"streamer"), u"NICK streamer");
    EXPECT_EQ(TwitchChatIRCEncoder::join(u"streamer"), u"JOIN #streamer");
    EXPECT_EQ(TwitchChatIRCEncoder::pong(u"tmi.twitch.tv"), u"PONG :tmi.twitch.tv");
}

TEST(TwitchChatIRCEncoder, AChatLineKeepsItsTextAndCannotCarryASecondCommand)
{
    EXPECT_EQ(TwitchChatIRCEncoder::privateMessage(u"chan", u"  hello :) world "), u"PRIVMSG #chan :  hello :) world ");
    EXPECT_EQ(TwitchChatIRCEncoder::privateMessage(u"chan", u"hi\r\nJOIN #other\nx\ry"),
        u"PRIVMSG #chan :hi  JOIN #other x y");
    EXPECT_EQ(TwitchChatIRCEncoder::chatText(u"a\r\nb"), u"a  b");
    EXPECT_EQ(TwitchChatIRCEncoder::privateMessage(u"chan", u""), u"PRIVMSG #chan :");
}

TEST(TwitchChatIRCEncoder, AReplysParentIDIsEscapedSoItCannotEndTheTagOrTheLine)
{
    EXPECT_EQ(TwitchChatIRCEncoder::privateMessage(u"chan", u"yes", u"abc-1"),
        u"@reply-parent-msg-id=abc-1 PRIVMSG #chan :yes");
    EXPECT_EQ(TwitchChatIRCEncoder::privateMessage(u"chan", u"yes", u"a;b c\\d\r\nJOIN #x"),
        u"@reply-parent-msg-id=a\\:b\\sc\\\\d\\r\\nJOIN\\s#x PRIVMSG #chan :yes");
}

TEST(TwitchChatIRCEncoder, WhatItWritesTheParserReadsBack)
{
    const QString text = QStringLiteral("multi word \u00e9 \U0001F600 text");
    const auto parsed = TwitchChatIRCMessage::tryParse(
        QStringLiteral(":me!me@me.tmi.twitch.tv ") + TwitchChatIRCEncoder::privateMessage(u"chan", text));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->command(), TwitchChatIRCCommand::privateMessage);
    EXPECT_EQ(parsed->parameters(), QStringLiteral("#chan :") + text);
}
