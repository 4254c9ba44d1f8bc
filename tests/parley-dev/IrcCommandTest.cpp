#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// Runs `parley-dev irc` on one frame and returns its standard output.
QByteArray runIrcRaw(const QByteArray& frame)
{
    QProcess process;
    process.start(QStringLiteral(PARLEY_DEV), { QStringLiteral("irc") });
    process.write(frame);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    return process.readAllStandardOutput();
}

// One JSON object per output line.
QList<QJsonObject> runIrc(const QByteArray& frame)
{
    QList<QJsonObject> objects;
    for (const QByteArray& line : runIrcRaw(frame).split('\n'))
        if (!line.isEmpty())
            objects.append(QJsonDocument::fromJson(line).object());
    return objects;
}

} // namespace

TEST(IrcCommand, SplitsTheFrameAtCrLfOnlyAndReportsEachLine)
{
    const auto objects = runIrc("\r\n:t 001 a :b\nc\r\n\r\nPING :tmi.twitch.tv\r\n"
                                "@odd=1;room-id=5;slow=30 :tmi.twitch.tv ROOMSTATE #r\r\n");
    ASSERT_EQ(objects.size(), 3);

    EXPECT_EQ(objects[0][u"line"], u":t 001 a :b\nc"_qs);
    EXPECT_EQ(objects[0][u"command"], u"numeric"_qs);
    EXPECT_EQ(objects[0][u"parameters"], u"a :b\nc"_qs);
    EXPECT_EQ(objects[0][u"source"].toObject(), (QJsonObject { { u"nick"_qs, u""_qs }, { u"host"_qs, u"t"_qs } }));
    EXPECT_TRUE(objects[0][u"text"].isNull());
    EXPECT_TRUE(objects[0][u"room"].isNull());

    EXPECT_EQ(objects[1][u"error"], u"invalidMessage"_qs);
    EXPECT_EQ(objects[1][u"log"].toArray(), QJsonArray());
    EXPECT_FALSE(objects[1].contains(u"tags"));

    EXPECT_EQ(objects[2][u"log"].toArray(), QJsonArray { u"TwitchChat.IRCMessage.unknownTag: odd"_qs });
    EXPECT_EQ(objects[2][u"tags"].toObject(), (QJsonObject { { u"room-id"_qs, u"5"_qs }, { u"slow"_qs, u"30"_qs } }));
    EXPECT_EQ(objects[2][u"room"][u"id"], u"5"_qs);
    EXPECT_EQ(objects[2][u"room"][u"isSlow"], true);
}

TEST(IrcCommand, TextMessageFields)
{
    const auto objects = runIrc(
        "@badges=broadcaster/1,vip/1;color=#1e90ff;display-name=R\xc3\xb6nni;emotes=25:0-4;id=x;user-type=staff;"
        "tmi-sent-ts=1702000000123.456;reply-parent-message-id=a;reply-parent-user-id=1;reply-parent-user-login=l;"
        "reply-parent-message-body=b :r!r@h PRIVMSG #r :Kappa \xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd");
    ASSERT_EQ(objects.size(), 1);
    const QJsonObject text = objects[0][u"text"].toObject();
    EXPECT_EQ(text[u"body"], u"Kappa \U0001F44D\U0001F3FD"_qs);
    EXPECT_EQ(text[u"displayName"], u"Rönni"_qs);
    EXPECT_EQ(text[u"badges"].toObject(), (QJsonObject { { u"broadcaster"_qs, 1 } }));
    EXPECT_EQ(text[u"emotes"].toArray(),
        (QJsonArray { QJsonObject { { u"emoteID"_qs, u"25"_qs }, { u"begin"_qs, 0 }, { u"end"_qs, 4 } } }));
    EXPECT_EQ(text[u"color"], u"#1E90FF"_qs);
    EXPECT_EQ(text[u"userType"], u"staff"_qs);
    EXPECT_EQ(text[u"isBroadcaster"], true);
    EXPECT_TRUE(text[u"reply"][u"parentMessageDisplayName"].isNull());
    EXPECT_EQ(text[u"reply"][u"parentMessageLogin"], u"l"_qs);
    EXPECT_EQ(text[u"sentAtMs"].toDouble(), 1702000000123.456);
}

TEST(IrcCommand, SendTimeIsWrittenExactToTheMicrosecond)
{
    const QByteArray output = runIrcRaw("@id=x;tmi-sent-ts=1702000000123.4564 :r!r@h PRIVMSG #r :hi\r\n"
                                        "@id=y;tmi-sent-ts=1702000000123 :r!r@h PRIVMSG #r :hi");
    EXPECT_TRUE(output.contains("\"sentAtMs\":1702000000123.456,")) << output.constData();
    EXPECT_TRUE(output.contains("\"sentAtMs\":1702000000123,")) << output.constData();
}

TEST(IrcCommand, NewKindsPrintTheirOwnObjects)
{
    const auto objects = runIrc(
        "@id=a;tmi-sent-ts=1 :r!r@h PRIVMSG #r :\x01"
        "ACTION waves\x01\r\n"
        "@ban-duration=5;target-user-id=7;tmi-sent-ts=2 :tmi.twitch.tv CLEARCHAT #r :bob\r\n"
        "@id=u;login=ana;msg-id=resub;system-msg=Ana\\sresubscribed!;tmi-sent-ts=3 :tmi.twitch.tv USERNOTICE #r :hi\r\n"
        "@msg-id=slow_on :tmi.twitch.tv NOTICE #r :Slow mode.");
    ASSERT_EQ(objects.size(), 4);
    EXPECT_EQ(objects[0][u"text"][u"isAction"], true);
    EXPECT_EQ(objects[0][u"text"][u"body"], u"waves"_qs);
    EXPECT_TRUE(objects[0][u"clear"].isNull());
    EXPECT_TRUE(objects[0][u"system"].isNull());

    EXPECT_TRUE(objects[1][u"text"].isNull());
    EXPECT_EQ(objects[1][u"clear"][u"kind"], u"user"_qs);
    EXPECT_EQ(objects[1][u"clear"][u"banDuration"], 5);
    EXPECT_EQ(objects[1][u"system"][u"text"], u"bob has been timed out for 5 seconds."_qs);

    EXPECT_TRUE(objects[2][u"text"].isNull());
    EXPECT_EQ(objects[2][u"tags"][u"system-msg"], u"Ana\\sresubscribed!"_qs) << "tags stay raw";
    EXPECT_EQ(objects[2][u"system"][u"text"], u"Ana resubscribed!"_qs);
    EXPECT_EQ(objects[2][u"system"][u"userMessage"][u"body"], u"hi"_qs);

    EXPECT_EQ(objects[3][u"system"][u"kind"], u"notice"_qs);
    EXPECT_TRUE(objects[3][u"system"][u"sentAtMs"].isNull());
}
