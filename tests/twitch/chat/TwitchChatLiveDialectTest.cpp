// Chat lines as the live service sends them: one group per mend.
#include "platform/Diagnostics.h"
#include "support/ParsedLine.h"
#include "twitch/WireText.h"
#include "twitch/chat/RoomState.h"
#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/TwitchChatSystemMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <gtest/gtest.h>

using namespace parley;
using parley::test::parsedLine;

namespace {

std::optional<TwitchChatTextMessage> privmsg(const QString& tags, const QString& text = u"hi"_qs)
{
    return TwitchChatTextMessage::fromLine(parsedLine(
        u"@id=m1;tmi-sent-ts=1700000000000;"_qs + tags + u" :ana!ana@ana.tmi.twitch.tv PRIVMSG #c :"_qs + text));
}

} // namespace

TEST(LiveDialect, ModeratorsAndUnknownUserTypesKeepTheirMessages)
{
    EXPECT_EQ(privmsg(u"user-type=mod"_qs)->userType(), TwitchUserType::moderator);
    EXPECT_EQ(privmsg(u"user-type=global_mod"_qs)->userType(), TwitchUserType::globalModerator);
    EXPECT_EQ(privmsg(u"user-type=partner_of_the_future"_qs)->userType(), TwitchUserType::normal);
    EXPECT_EQ(privmsg(u"user-type="_qs)->userType(), TwitchUserType::normal);
    EXPECT_EQ(rawValue(TwitchUserType::moderator), u"mod");
}

TEST(LiveDialect, RepliesFromTheLiveKeysWithTheOldSpellingsAsAliases)
{
    DiagnosticsCapture capture;
    const auto live = privmsg(
        u"reply-parent-msg-id=p1;reply-parent-msg-body=hello\\sthere;reply-parent-user-id=42;"
        "reply-parent-user-login=bob;reply-parent-display-name=Bob\\sB;reply-thread-parent-msg-id=t1;"
        "reply-thread-parent-user-login=bob;reply-thread-parent-user-id=42;"
        "reply-thread-parent-display-name=Bob"_qs,
        u"@Bob yes"_qs);
    EXPECT_TRUE(capture.takeLines().isEmpty()) << "every reply key is known";
    EXPECT_EQ(
        live->reply(), (TwitchChatMessageReply { u"p1"_qs, u"42"_qs, u"bob"_qs, u"Bob B"_qs, u"hello there"_qs }));

    const auto old = privmsg(u"reply-parent-message-id=p2;reply-parent-message-body=x;reply-parent-user-id=1;"
                             "reply-parent-user-login=l"_qs);
    EXPECT_EQ(old->reply(), (TwitchChatMessageReply { u"p2"_qs, u"1"_qs, u"l"_qs, std::nullopt, u"x"_qs }));

    const auto both = privmsg(u"reply-parent-message-body=old;reply-parent-msg-body=new;reply-parent-msg-id=n;"
                              "reply-parent-message-id=o;reply-parent-user-id=1;reply-parent-user-login=l"_qs);
    EXPECT_EQ(both->reply()->parentMessageID, u"n");
    EXPECT_EQ(both->reply()->parentMessageBody, u"new");

    EXPECT_FALSE(privmsg(u"reply-parent-msg-id=p;reply-parent-msg-body=b;reply-parent-user-login=l"_qs)->reply());
}

TEST(LiveDialect, EscapedTagValuesAreDecodedWhereTheyAreShown)
{
    EXPECT_EQ(wire::unescapeTagValue(u"a\\sb\\:c\\\\d\\re\\nf"), u"a b;c\\d\re\nf");
    EXPECT_EQ(wire::unescapeTagValue(u"\\x\\"), u"x");
    EXPECT_EQ(wire::unescapeTagValue(u"\\\\s"), u"\\s");
    EXPECT_EQ(wire::unescapeTagValue(u"plain"), u"plain");

    const auto message = privmsg(u"display-name=Caf\u00e9\\sBot;user-id=1\\s2"_qs);
    EXPECT_EQ(message->displayName(), u"Caf\u00e9 Bot");
    EXPECT_EQ(message->userID(), u"1\\s2") << "ids stay as on the wire";
    // The parsed line itself keeps the raw value.
    EXPECT_EQ(parsedLine(u"@display-name=a\\sb :n!n@h PRIVMSG #c :x"_qs).tags()[TwitchChatIRCMessage::Tag::displayName],
        u"a\\sb");
}

TEST(LiveDialect, ActionsAreTheTextAloneWithEmotePositionsInIt)
{
    const auto action = privmsg(u"emotes=25:6-10"_qs, u"\u0001ACTION waves Kappa\u0001"_qs);
    EXPECT_EQ(action->body(), u"waves Kappa");
    EXPECT_TRUE(action->isAction());
    EXPECT_EQ(action->emotes(), (QList<TwitchEmoteMark> { { u"25"_qs, 6, 10 } }));

    EXPECT_EQ(privmsg({}, u"\u0001ACTION no end"_qs)->body(), u"no end");
    EXPECT_FALSE(privmsg({}, u"\u0001ACTIONx\u0001"_qs)->isAction());
    EXPECT_FALSE(privmsg({}, u"ACTION waves"_qs)->isAction());

    const auto confirmation = parsedLine(u"@badges=broadcaster/1;id=c1 :tmi.twitch.tv USERSTATE #me"_qs);
    const auto own = TwitchChatTextMessage::fromConfirmation(confirmation, { u"/me dances"_qs, {} }, u"me"_qs);
    EXPECT_EQ(own.body(), u"dances");
    EXPECT_TRUE(own.isAction());
    EXPECT_FALSE(TwitchChatTextMessage::fromConfirmation(confirmation, { u"/mean"_qs, {} }, u"me"_qs).isAction());
}

TEST(LiveDialect, RoomStateValuesAndMerging)
{
    const auto room = [](const QString& tags, const std::optional<RoomState>& previous = std::nullopt) {
        return *RoomState::fromLine(
            parsedLine(u"@room-id=1;"_qs + tags + u" :tmi.twitch.tv ROOMSTATE #c"_qs), previous);
    };
    for (const QString& on : { u"0"_qs, u"10"_qs, u"-0"_qs, u"99999999999999999999999"_qs })
        EXPECT_TRUE(room(u"followers-only="_qs + on).isFollowersOnly) << on.toStdString();
    for (const QString& off : { u"-1"_qs, u""_qs, u"+5"_qs, u"1.5"_qs, u"ten"_qs, u"--1"_qs })
        EXPECT_FALSE(room(u"followers-only="_qs + off).isFollowersOnly) << off.toStdString();
    for (const QString& on : { u"1"_qs, u"30"_qs, u"0120"_qs })
        EXPECT_TRUE(room(u"slow="_qs + on).isSlow) << on.toStdString();
    for (const QString& off : { u"0"_qs, u"-30"_qs, u"000"_qs, u"+3"_qs, u"3s"_qs })
        EXPECT_FALSE(room(u"slow="_qs + off).isSlow) << off.toStdString();
    EXPECT_FALSE(room(u"emote-only=2;subs-only=true"_qs).isEmoteOnly);

    const RoomState all = room(u"emote-only=1;followers-only=5;slow=3;subs-only=1"_qs);
    EXPECT_EQ(room(u"slow=0"_qs, all), (RoomState { u"1"_qs, true, true, false, true }));
    const RoomState otherRoom { u"2"_qs, true, true, true, true };
    EXPECT_EQ(room(u"slow=0"_qs, otherRoom), (RoomState { u"1"_qs, false, false, false, false }));
}

TEST(LiveDialect, DeletionsTimeoutsBansAndClears)
{
    const auto clear = [](const QString& text) { return TwitchChatClear::fromLine(parsedLine(text)); };

    const auto deleted = clear(u"@login=ana;room-id=1;target-msg-id=m1;tmi-sent-ts=1700000000000 "
                               ":tmi.twitch.tv CLEARMSG #c :bad words"_qs);
    EXPECT_EQ(deleted->kind, TwitchChatClear::Kind::message);
    EXPECT_EQ(deleted->targetMessageID, u"m1");
    EXPECT_EQ(deleted->login, u"ana");
    EXPECT_FALSE(deleted->systemMessage());
    EXPECT_FALSE(clear(u"@login=ana :tmi.twitch.tv CLEARMSG #c :x"_qs));

    const auto timeout = clear(u"@ban-duration=600;room-id=1;target-user-id=7;tmi-sent-ts=1700000000000 "
                               ":tmi.twitch.tv CLEARCHAT #c :ana"_qs);
    EXPECT_EQ(timeout->kind, TwitchChatClear::Kind::user);
    EXPECT_EQ(timeout->targetUserID, u"7");
    EXPECT_EQ(timeout->systemMessage()->text, u"ana has been timed out for 600 seconds.");
    EXPECT_EQ(timeout->systemMessage()->kind, TwitchChatSystemMessage::Kind::timeout);

    const auto ban = clear(u"@room-id=1;target-user-id=7 :tmi.twitch.tv CLEARCHAT #c :%2%1"_qs);
    EXPECT_EQ(ban->systemMessage()->text, u"%2%1 has been banned.");
    EXPECT_EQ(ban->systemMessage()->kind, TwitchChatSystemMessage::Kind::ban);

    const auto all = clear(u"@room-id=1;tmi-sent-ts=1700000000000 :tmi.twitch.tv CLEARCHAT #c"_qs);
    EXPECT_EQ(all->kind, TwitchChatClear::Kind::chat);
    EXPECT_EQ(all->systemMessage()->text, u"Chat has been cleared by a moderator.");
    EXPECT_EQ(all->systemMessage()->kind, TwitchChatSystemMessage::Kind::chatCleared);
}

TEST(LiveDialect, ChannelEventsAnnouncementsAndNotices)
{
    const auto system = [](const QString& text) { return TwitchChatSystemMessage::fromLine(parsedLine(text)); };

    const auto resub = system(
        u"@badges=subscriber/6;color=#FF0000;display-name=Ana\\sB;emotes=25:0-4;id=u1;login=ana;msg-id=resub;"
        "system-msg=Ana\\sB\\ssubscribed\\sfor\\s6\\smonths\\:\\swow!;tmi-sent-ts=1700000000000;user-id=7;"
        "user-type= :tmi.twitch.tv USERNOTICE #c :Kappa great stream"_qs);
    EXPECT_EQ(resub->kind, TwitchChatSystemMessage::Kind::userNotice);
    EXPECT_EQ(resub->text, u"Ana B subscribed for 6 months; wow!");
    EXPECT_EQ(resub->noticeID, u"resub");
    EXPECT_EQ(resub->id, u"u1");
    ASSERT_TRUE(resub->userMessage);
    EXPECT_EQ(resub->userMessage->body(), u"Kappa great stream");
    EXPECT_EQ(resub->userMessage->displayName(), u"Ana B");
    EXPECT_EQ(resub->userMessage->emotes(), (QList<TwitchEmoteMark> { { u"25"_qs, 0, 4 } }));

    const auto raid = system(u"@id=u2;login=raider;msg-id=raid;system-msg=5\\sraiders\\sfrom\\sRaider;"
                             "tmi-sent-ts=1700000000000 :tmi.twitch.tv USERNOTICE #c"_qs);
    EXPECT_EQ(raid->text, u"5 raiders from Raider");
    EXPECT_FALSE(raid->userMessage);

    const auto announcement = system(u"@id=u3;login=mod;msg-id=announcement;msg-param-color=PRIMARY;system-msg=;"
                                     "tmi-sent-ts=1700000000000 :tmi.twitch.tv USERNOTICE #c :Be nice!"_qs);
    EXPECT_EQ(announcement->kind, TwitchChatSystemMessage::Kind::announcement);
    EXPECT_EQ(announcement->text, u"");
    EXPECT_EQ(announcement->userMessage->body(), u"Be nice!");
    EXPECT_EQ(announcement->userMessage->displayName(), u"mod") << "the login when there is no display name";

    const auto notice = system(u"@msg-id=slow_on :tmi.twitch.tv NOTICE #c :This room is now in slow mode."_qs);
    EXPECT_EQ(notice->kind, TwitchChatSystemMessage::Kind::notice);
    EXPECT_EQ(notice->text, u"This room is now in slow mode.");
    EXPECT_EQ(notice->noticeID, u"slow_on");
    EXPECT_FALSE(notice->sentAt);

    EXPECT_FALSE(system(u"@id=1;tmi-sent-ts=1 :a!a@a PRIVMSG #c :x"_qs));
}
