#include "twitch/chat/TwitchChatIRCMessage.h"
#include "platform/Diagnostics.h"
#include "support/ParsedLine.h"

#include <gtest/gtest.h>

using namespace parley;
using parley::test::parsedLine;
using Tag = TwitchChatIRCMessage::Tag;

namespace {

bool isInvalid(const QString& line)
{
    DiagnosticsSilence quiet;
    return !TwitchChatIRCMessage::tryParse(line).has_value();
}

} // namespace

TEST(TwitchChatIRCMessage, NumericReplyFromTheServer)
{
    const auto message = parsedLine(u":tmi.twitch.tv 001 justinfan :Welcome, GLHF!"_qs);
    EXPECT_TRUE(message.tags().isEmpty());
    EXPECT_EQ(message.source().nick, u"");
    EXPECT_EQ(message.source().host, u"tmi.twitch.tv");
    EXPECT_EQ(message.command(), TwitchChatIRCCommand::numeric);
    EXPECT_EQ(message.parameters(), u"justinfan :Welcome, GLHF!");
}

TEST(TwitchChatIRCMessage, ChatLineKeepsEmptyTagValuesAndSplitsTheUserPrefix)
{
    const auto message = parsedLine(
        u"@badges=;color=;display-name=Foo;user-type= :foo!foo@foo.tmi.twitch.tv PRIVMSG #bar :hi  there "_qs);
    const auto& tags = message.tags();
    EXPECT_EQ(tags.size(), 4);
    EXPECT_EQ(tags.value(Tag::badges), QStringView(u""));
    EXPECT_EQ(tags.value(Tag::color), QStringView(u""));
    EXPECT_EQ(tags.value(Tag::userType), QStringView(u""));
    EXPECT_EQ(tags.value(Tag::displayName), QStringView(u"Foo"));
    EXPECT_FALSE(tags.contains(Tag::id));
    EXPECT_EQ(message.source().nick, u"foo");
    EXPECT_EQ(message.source().host, u"foo@foo.tmi.twitch.tv");
    EXPECT_EQ(message.command(), TwitchChatIRCCommand::privateMessage);
    EXPECT_EQ(message.parameters(), u"#bar :hi  there ");
}

TEST(TwitchChatIRCMessage, UnknownTagsAreLoggedAndDropped)
{
    DiagnosticsCapture capture;
    const auto notice = TwitchChatIRCMessage::parse(u"@msg-param-months=3 :tmi.twitch.tv NOTICE #bar :off"_qs);
    EXPECT_EQ(capture.takeLines(), QStringList { u"TwitchChat.IRCMessage.unknownTag: msg-param-months"_qs });
    EXPECT_TRUE(notice.tags().isEmpty());
    EXPECT_EQ(notice.command(), TwitchChatIRCCommand::notice);

    // A fragment without "=" joins the next key; the skip ends at its ";".
    const auto swallowed = TwitchChatIRCMessage::parse(u"@stray;room-id=7;x=1;id=a=b :t JOIN"_qs);
    EXPECT_EQ(capture.takeLines(),
        (QStringList {
            u"TwitchChat.IRCMessage.unknownTag: stray;room-id"_qs, u"TwitchChat.IRCMessage.unknownTag: x"_qs }));
    EXPECT_EQ(swallowed.tags().value(Tag::roomID), QStringView(u"7"));
    EXPECT_EQ(swallowed.tags().value(Tag::id), QStringView(u"a=b"));
    EXPECT_EQ(swallowed.tags().size(), 2);
}

TEST(TwitchChatIRCMessage, TagsSectionEdgeCases)
{
    const auto repeated = parsedLine(u"@room-id=1;room-id=2 :t ROOMSTATE #c"_qs);
    EXPECT_EQ(repeated.tags().value(Tag::roomID), QStringView(u"2"));
    EXPECT_EQ(repeated.tags().size(), 1);

    EXPECT_TRUE(parsedLine(u"@nothing-here :t JOIN #c"_qs).tags().isEmpty());
    EXPECT_EQ(parsedLine(u"@id=1;broken :t JOIN #c"_qs).tags().size(), 1);
    EXPECT_EQ(parsedLine(u"@id= :t JOIN"_qs).tags().value(Tag::id), QStringView(u""));
    // Keys are case-sensitive.
    EXPECT_TRUE(parsedLine(u"@ID=1 :t JOIN"_qs).tags().isEmpty());
}

TEST(TwitchChatIRCMessage, CommandsAndParameters)
{
    EXPECT_EQ(parsedLine(u":t USERSTATE"_qs).parameters(), u"");
    EXPECT_EQ(parsedLine(u":t USERSTATE"_qs).command(), TwitchChatIRCCommand::userState);
    EXPECT_EQ(parsedLine(u":t PART  #c"_qs).parameters(), u" #c");
    EXPECT_EQ(parsedLine(u":t numeric x"_qs).command(), TwitchChatIRCCommand::numeric);
    for (const auto& number : { u"353"_qs, u"-1"_qs, u"+0"_qs, u"0000000000000000000000009223372036854775807"_qs,
             u"-9223372036854775808"_qs })
        EXPECT_EQ(parsedLine(u":t "_qs + number).command(), TwitchChatIRCCommand::numeric) << qPrintable(number);
}

TEST(TwitchChatIRCMessage, InvalidLines)
{
    const QString invalid[] = {
        u""_qs,
        u"PING"_qs,
        u"PING :tmi.twitch.tv"_qs,
        u":tmi.twitch.tv CAP * ACK :twitch.tv/tags"_qs,
        u":jtv MODE #c +o foo"_qs,
        u":t privmsg #c :x"_qs,
        u":t 9223372036854775808"_qs,
        u":t +"_qs,
        u":t  PRIVMSG"_qs,
        u"@"_qs,
        u"@id=1"_qs,
        u"@id=1 "_qs,
        u":"_qs,
        u": PRIVMSG #c"_qs,
        u":!!! PRIVMSG #c"_qs,
        u"@id=1 :!! PRIVMSG #c"_qs,
    };
    for (const QString& line : invalid)
        EXPECT_TRUE(isInvalid(line)) << qPrintable(line);
    EXPECT_THROW(TwitchChatIRCMessage::parse(u"PING"_qs), TwitchChatIRCMessage::ParseFailure);
}

TEST(TwitchChatIRCMessage, TagsAreParsedEvenWhenTheCommandFails)
{
    DiagnosticsCapture capture;
    EXPECT_FALSE(TwitchChatIRCMessage::tryParse(u"@odd=1 :t CAP"_qs));
    EXPECT_EQ(capture.lines(), QStringList { u"TwitchChat.IRCMessage.unknownTag: odd"_qs });
}

TEST(TwitchChatIRCMessage, SourcePieces)
{
    EXPECT_EQ(parsedLine(u":a!b!c JOIN"_qs).source(), (TwitchChatIRCMessage::Source { u"a", u"b" }));
    EXPECT_EQ(parsedLine(u":!!a JOIN"_qs).source(), (TwitchChatIRCMessage::Source { u"", u"a" }));
    EXPECT_EQ(parsedLine(u":a! JOIN"_qs).source(), (TwitchChatIRCMessage::Source { u"", u"a" }));
    // The prefix marker is one code point, even outside the BMP.
    EXPECT_EQ(parsedLine(u"\U0001F600nick JOIN"_qs).source().host, u"nick");
}

TEST(TwitchChatIRCMessage, TextStaysValidAfterTheLineAndTheOriginalAreGone)
{
    std::optional<TwitchChatIRCMessage> copy;
    {
        QString line = u"@id=abc :n!n@h PRIVMSG #c :hello"_qs;
        const auto message = parsedLine(line);
        line.fill(u'x');
        copy = message;
    }
    EXPECT_EQ(copy->tags().value(Tag::id), QStringView(u"abc"));
    EXPECT_EQ(copy->source().nick, u"n");
    EXPECT_EQ(copy->parameters(), u"#c :hello");
}

TEST(TwitchChatIRCMessage, EqualityComparesContentNotOrigin)
{
    const auto a = parsedLine(u"@id=1;mod=0 :n!n@h PRIVMSG #c :x"_qs);
    EXPECT_EQ(a, parsedLine(u"@mod=0;id=1;bogus=2 :n!n@h PRIVMSG #c :x"_qs));
    EXPECT_NE(a, parsedLine(u"@id=1;mod= :n!n@h PRIVMSG #c :x"_qs));
    EXPECT_NE(a, parsedLine(u"@id=1 :n!n@h PRIVMSG #c :x"_qs));
    EXPECT_NE(a, parsedLine(u"@id=1;mod=0 :n!n@h NOTICE #c :x"_qs));
}

TEST(TwitchChatIRCMessage, RawValuesRoundTrip)
{
    for (int i = 0; i < TwitchChatIRCMessage::tagCount; ++i) {
        const auto tag = static_cast<Tag>(i);
        EXPECT_EQ(fromRawValue<Tag>(rawValue(tag)), tag);
    }
    EXPECT_EQ(rawValue(Tag::firstMessage), u"first-msg");
    EXPECT_FALSE(fromRawValue<Tag>(u"room-id "));
    for (int i = 0; i <= int(TwitchChatIRCCommand::numeric); ++i) {
        const auto command = static_cast<TwitchChatIRCCommand>(i);
        EXPECT_EQ(fromRawValue<TwitchChatIRCCommand>(rawValue(command)), command);
    }
}
