#include "twitch/chat/TwitchChatTextMessage.h"
#include "platform/Diagnostics.h"
#include "support/ParsedLine.h"
#include "twitch/chat/RoomState.h"
#include "twitch/chat/TwitchChatMessage.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace parley;
using parley::test::parsedLine;
using namespace std::chrono;

namespace {

std::optional<TwitchChatTextMessage> textOf(const QString& tags, const QString& parameters = u"#c :hi"_qs)
{
    return TwitchChatTextMessage::fromLine(parsedLine(u"@"_qs + tags + u" :nick!nick@h PRIVMSG "_qs + parameters));
}

const QString minimalTags = u"id=m1;tmi-sent-ts=1507246572675"_qs;

} // namespace

TEST(TwitchChatTextMessage, FromAFullChatLine)
{
    const auto message = TwitchChatTextMessage::fromLine(parsedLine(
        u"@badge-info=subscriber/8;badges=broadcaster/1,subscriber/3012,vip/1,premium/1;color=#1E90FF;"
        "display-name=Ronni;emote-sets=0,33,50;emotes=25:0-4,12-16/1902:6-10;id=b34ccfc7;mod=1;subscriber=1;"
        "tmi-sent-ts=1507246572675.001;turbo=0;user-type=global_mod;reply-parent-msg-id=x;"
        "reply-parent-message-id=p1;reply-parent-user-id=42;reply-parent-user-login=ana;"
        "reply-parent-message-body=hey\\sthere :ronni!ronni@ronni.tmi.twitch.tv PRIVMSG #ronni :Kappa Keepo Kappa"_qs));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->body(), u"Kappa Keepo Kappa");
    EXPECT_EQ(message->badges().size(), 2);
    EXPECT_EQ(message->badges().value(TwitchBadge::subscriber), 3012);
    EXPECT_EQ(message->badgeTag(), u"broadcaster/1,subscriber/3012,vip/1,premium/1");
    EXPECT_EQ(message->badgeInfo(), u"subscriber/8");
    EXPECT_TRUE(message->isBroadcaster());
    EXPECT_EQ(message->emotes(),
        (QList<TwitchEmoteMark> { { u"25"_qs, 0, 4 }, { u"25"_qs, 12, 16 }, { u"1902"_qs, 6, 10 } }));
    EXPECT_EQ(message->emoteSets(), (QStringList { u"0"_qs, u"33"_qs, u"50"_qs }));
    EXPECT_EQ(message->color()->rawValue(), u"#1E90FF");
    EXPECT_EQ(message->id(), u"b34ccfc7");
    EXPECT_TRUE(message->isModerator());
    EXPECT_TRUE(message->isSubscriber());
    EXPECT_FALSE(message->turbo());
    EXPECT_EQ(message->displayName(), u"Ronni");
    EXPECT_EQ(message->userType(), TwitchUserType::globalModerator);
    // The live key "reply-parent-msg-id" wins over the older spelling; the body is unescaped.
    EXPECT_EQ(
        message->reply(), (TwitchChatMessageReply { u"x"_qs, u"42"_qs, u"ana"_qs, std::nullopt, u"hey there"_qs }));
    EXPECT_EQ(message->sentAt().time_since_epoch(), microseconds(1507246572675001));
}

TEST(TwitchChatTextMessage, LinesThatYieldNoMessage)
{
    EXPECT_TRUE(textOf(minimalTags));
    EXPECT_FALSE(textOf(u"tmi-sent-ts=1"_qs));
    EXPECT_FALSE(textOf(u"id=m1"_qs));
    EXPECT_FALSE(textOf(minimalTags, u"#c"_qs));
    EXPECT_FALSE(textOf(minimalTags, u"#c "_qs));
    EXPECT_FALSE(textOf(minimalTags, u""_qs));
    EXPECT_FALSE(TwitchChatTextMessage::fromLine(parsedLine(u"@"_qs + minimalTags + u" :n!n@h WHISPER #c :hi"_qs)));
}

TEST(TwitchChatTextMessage, SendTimeMustBeAFiniteDecimalNumber)
{
    const auto sentAt = [](const QString& value) -> std::optional<qint64> {
        const auto message = textOf(u"id=m;tmi-sent-ts="_qs + value);
        if (!message)
            return std::nullopt;
        return message->sentAt().time_since_epoch().count();
    };
    EXPECT_EQ(sentAt(u"1507246572675"_qs), 1507246572675000);
    EXPECT_EQ(sentAt(u"-1.5e3"_qs), -1500000);
    EXPECT_EQ(sentAt(u"+.25"_qs), 250);
    EXPECT_EQ(sentAt(u"7."_qs), 7000);
    for (const auto& unreadable : { u""_qs, u"nan"_qs, u"inf"_qs, u"-infinity"_qs, u"0x1p3"_qs, u"1e400"_qs, u"1e17"_qs,
             u"1,5"_qs, u"1e"_qs, u"."_qs, u"١٢"_qs })
        EXPECT_FALSE(sentAt(unreadable)) << qPrintable(unreadable);
}

TEST(TwitchChatTextMessage, BodyIsEverythingAfterTheChannelMinusOneCharacter)
{
    EXPECT_EQ(textOf(minimalTags, u"#chan :hello  world"_qs)->body(), u"hello  world");
    EXPECT_EQ(textOf(minimalTags, u"#chan hello"_qs)->body(), u"ello");
    EXPECT_EQ(textOf(minimalTags, u" #chan  :x"_qs)->body(), u":x");
    EXPECT_EQ(textOf(minimalTags, u"#chan :"_qs)->body(), u"");
    // Characters are code points: a pair is dropped whole, a combining mark alone.
    EXPECT_EQ(textOf(minimalTags, u"#chan \U0001F600hi"_qs)->body(), u"hi");
    EXPECT_EQ(textOf(minimalTags, u"#chan \u0301:\U0001F44D\U0001F3FD"_qs)->body(), u":\U0001F44D\U0001F3FD");
}

TEST(TwitchChatTextMessage, DisplayNameFallsBackToTheNickOnlyWhenAbsent)
{
    EXPECT_EQ(textOf(minimalTags)->displayName(), u"nick");
    EXPECT_EQ(textOf(minimalTags + u";display-name="_qs)->displayName(), u"");
}

TEST(TwitchChatTextMessage, BadgesReader)
{
    const auto badges = TwitchBadges::fromTagValue(
        u",moderator/x,broadcaster//0,turbo/1/2,bits,staff/-3,subscriber/1,subscriber/9"_qs);
    EXPECT_EQ(badges.value(TwitchBadge::moderator), 0);
    EXPECT_EQ(badges.value(TwitchBadge::broadcaster), 0);
    EXPECT_EQ(badges.value(TwitchBadge::staff), -3);
    EXPECT_EQ(badges.value(TwitchBadge::subscriber), 9);
    EXPECT_FALSE(badges.value(TwitchBadge::turbo));
    EXPECT_FALSE(badges.value(TwitchBadge::bits));
    EXPECT_FALSE(badges.isPositive(TwitchBadge::broadcaster));
    EXPECT_EQ(badges.size(), 4);
}

TEST(TwitchChatTextMessage, EmoteMarksReader)
{
    const auto marks = TwitchEmoteMark::listFromTagValue(u"1:3-,x-4,3-4-5,1-2/2/:5-6/3:/4:-7-8,9--10/"_qs);
    EXPECT_EQ(marks, (QList<TwitchEmoteMark> { { u"1"_qs, 1, 2 }, { u"4"_qs, 7, 8 }, { u"4"_qs, 9, -10 } }));
}

TEST(TwitchChatTextMessage, ColorFromAndToItsStringForm)
{
    const auto color = TwitchColor::fromString(u"#1E90FF");
    ASSERT_TRUE(color);
    EXPECT_EQ(*color, (TwitchColor { 30 / 255.0, 144 / 255.0, 1.0 }));
    EXPECT_EQ(TwitchColor::fromString(u"x1e90ff"), color);
    EXPECT_EQ(TwitchColor::fromString(u"\U0001F600"
                                      "1e90ff"),
        color);
    EXPECT_EQ(TwitchColor::fromString(u"#+F+F+F")->rawValue(), u"#0F0F0F");
    for (const auto& unreadable : { u""_qs, u"#1E90F"_qs, u"#1E90FFF"_qs, u"#1G90FF"_qs, u"#-F0000"_qs, u"#1E 0FF"_qs })
        EXPECT_FALSE(TwitchColor::fromString(unreadable)) << qPrintable(unreadable);
    for (int channel = 0; channel < 256; ++channel) {
        const QString text = QString::asprintf("#%02X%02X%02x", channel, channel, channel);
        EXPECT_EQ(TwitchColor::fromString(text)->rawValue(), text.toUpper());
    }
    EXPECT_EQ((TwitchColor { -1, 2, 0.5 }).rawValue(), u"#00FF7F");
}

TEST(TwitchChatTextMessage, ReplyNeedsItsFourMainTags)
{
    const QString reply = u";reply-parent-message-id=p;reply-parent-user-id=1;reply-parent-user-login=a;"
                          "reply-parent-message-body=b"_qs;
    EXPECT_EQ(
        textOf(minimalTags + reply + u";reply-parent-display-name="_qs)->reply()->parentMessageDisplayName, u""_qs);
    EXPECT_EQ(textOf(minimalTags + reply)->reply()->parentMessageDisplayName, std::nullopt);
    EXPECT_FALSE(textOf(minimalTags + QString(reply).remove(u";reply-parent-user-id=1"_qs))->reply());
}

TEST(TwitchChatTextMessage, OwnMessageFromAConfirmation)
{
    const PendingMessage pending { u"my text"_qs, Instant(microseconds(42)) };
    const auto confirmation = parsedLine(u"@badges=broadcaster/1,turbo/0;color=#FF0000;emote-sets=0,1;id=c1;mod=1;"
                                         "subscriber=1;user-type=mod :tmi.twitch.tv USERSTATE #me"_qs);
    const auto message = TwitchChatTextMessage::fromConfirmation(confirmation, pending, u"me"_qs);
    EXPECT_EQ(message.body(), u"my text");
    EXPECT_EQ(message.sentAt(), pending.sentAt);
    EXPECT_EQ(message.id(), u"c1");
    EXPECT_TRUE(message.isBroadcaster());
    EXPECT_FALSE(message.isModerator());
    EXPECT_FALSE(message.isSubscriber());
    EXPECT_FALSE(message.turbo());
    EXPECT_EQ(message.displayName(), u"me");
    EXPECT_EQ(message.userType(), TwitchUserType::moderator);
    EXPECT_TRUE(message.emoteSets().isEmpty());
    EXPECT_EQ(message.color(), (TwitchColor { 1, 0, 0 }));
}

TEST(TwitchChatTextMessage, RoomStateFromALine)
{
    const auto room = [](const QString& text) { return RoomState::fromLine(parsedLine(text)); };
    EXPECT_EQ(room(u"@emote-only=1;room-id=12 :tmi.twitch.tv ROOMSTATE #c"_qs),
        (RoomState { u"12"_qs, false, true, false, false }));
    EXPECT_EQ(room(u"@followers-only=10;r9k=1;room-id=1;slow=30;subs-only=1 :t ROOMSTATE #c"_qs),
        (RoomState { u"1"_qs, true, false, true, true }));
    EXPECT_EQ(room(u"@followers-only=1;slow=1;room-id= :t ROOMSTATE #c"_qs),
        (RoomState { u""_qs, true, false, true, false }));
    EXPECT_FALSE(room(u"@emote-only=1 :t ROOMSTATE #c"_qs));
    EXPECT_FALSE(room(u"@room-id=1 :t USERSTATE #c"_qs));
}

TEST(TwitchChatTextMessage, EqualMessagesHashEqually)
{
    const TwitchChatMessage a = *textOf(minimalTags + u";color=#010203;emotes=1:0-1"_qs);
    const TwitchChatMessage b = *textOf(u"emotes=1:0-1;color=#010203;"_qs + minimalTags);
    const TwitchChatMessage c = *textOf(minimalTags + u";color=#010204;emotes=1:0-1"_qs);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a.id(), u"m1");
    EXPECT_EQ((QSet<TwitchChatMessage> { a, b, c }).size(), 2);
}

TEST(TwitchChatTextMessage, PackedMessageReadsBackEveryFieldAsBuilt)
{
    TwitchChatTextMessage::Fields fields;
    // Past the one- and two-byte length forms, with text of every UTF-8 width.
    fields.body = u"héllo 🙂 世界 "_qs.repeated(3000);
    fields.badges.insert(TwitchBadge::subscriber, 36);
    fields.badges.insert(TwitchBadge::bits, -5);
    fields.emotes = { { u"e2"_qs, 9, 12 }, { u"e1"_qs, 0, 4 }, { u"e2"_qs, 20, 23 } };
    fields.emoteSets = { u"0"_qs, u"42"_qs };
    fields.color = TwitchColor { 30 / 255.0, 144 / 255.0, 1.0 };
    fields.id = u"5b9a2c1e-0000-4000-8000-000000000001"_qs;
    fields.isModerator = true;
    fields.isBroadcaster = true;
    fields.displayName = u"Ünïcode Name"_qs;
    fields.userType = TwitchUserType::globalModerator;
    fields.turbo = true;
    fields.reply = TwitchChatMessageReply { u"p1"_qs, u"9"_qs, u"parent"_qs, std::nullopt, u"parent; said\\this"_qs };
    fields.sentAt = Instant(microseconds(1507246572675123));
    fields.userID = u"1234"_qs;
    fields.isAction = true;
    fields.isDeleted = true;

    const TwitchChatTextMessage message(fields);
    EXPECT_EQ(message.fields(), fields);
    EXPECT_EQ(message.packedID().size(), 16);
    EXPECT_EQ(message.packedID(), TwitchChatTextMessage::packedID(fields.id));
    EXPECT_EQ(message.packedUserID(), "1234");

    // IDs that are not lower-case UUIDs are kept as written.
    fields.reply->parentMessageDisplayName = u""_qs;
    for (const QString& id : { u"5B9A2C1E-0000-4000-8000-000000000001"_qs, u"5b9a2c1e-0000-4000-8000-00000000000g"_qs,
             u"5b9a2c1e00000-4000-8000-000000000001"_qs, u"preview-1"_qs }) {
        fields.id = id;
        EXPECT_EQ(TwitchChatTextMessage(fields).fields(), fields) << id.toStdString();
    }
    EXPECT_EQ(TwitchChatTextMessage().fields(), TwitchChatTextMessage::Fields());

    // Marking a message deleted leaves the copies that share its block alone.
    TwitchChatTextMessage deleted = message;
    deleted.setDeleted(false);
    EXPECT_FALSE(deleted.isDeleted());
    EXPECT_TRUE(message.isDeleted());
    TwitchChatTextMessage empty;
    empty.setDeleted(true);
    EXPECT_TRUE(empty.isDeleted());
    EXPECT_TRUE(empty.body().isEmpty());
}

TEST(TwitchChatTextMessage, WireTagsAreKeptAsSentAndReadOnDemand)
{
    const auto message = textOf(minimalTags +
            u";badges=vip/1,broadcaster/1,subscriber/x;emotes=25:0-1,bad/1902:3-4;display-name=A\\sB;user-id=77"_qs,
        u"#c :hi yo"_qs);
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->isBroadcaster());
    EXPECT_EQ(message->badges().value(TwitchBadge::subscriber), 0);
    EXPECT_EQ(message->emotes(), (QList<TwitchEmoteMark> { { u"25"_qs, 0, 1 }, { u"1902"_qs, 3, 4 } }));
    EXPECT_EQ(message->displayName(), u"A B");
    EXPECT_EQ(message->packedUserID(), "77");
}
