#include "community/BetterTTVEmotes.h"
#include "community/FrankerFaceZEmotes.h"
#include "community/SevenTVEmotes.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

const QUrl bttvCDN(QStringLiteral("https://cdn.example/bttv"));
const QUrl ffzAPI(QStringLiteral("https://ffz.example/v1"));
const QUrl sevenAPI(QStringLiteral("https://7tv.example/v3"));

QStringList names(const QList<CommunityEmote>& emotes)
{
    QStringList result;
    for (const CommunityEmote& emote : emotes)
        result.append(emote.name);
    return result;
}

} // namespace

TEST(BetterTTVEmotes, readsGlobalAndChannelAnswersWithDoubleScaleImages)
{
    const auto global = BetterTTVEmotes::fromGlobal(R"([
        {"id": "54fa8f1401e468494b85b537", "code": ":tf:", "imageType": "png", "animated": false},
        {"id": "5f1b0186cf6d2144653d2970", "code": "Vibe", "imageType": "gif", "animated": true,
         "width": 84, "height": 28}
    ])", bttvCDN);
    ASSERT_TRUE(global);
    ASSERT_EQ(global->size(), 2);
    EXPECT_EQ(global->at(0).imageURL, QUrl(QStringLiteral("https://cdn.example/bttv/emote/54fa8f1401e468494b85b537/2x")));
    EXPECT_EQ(global->at(0).provider, CommunityEmoteProvider::BetterTTV);
    EXPECT_FALSE(global->at(0).animated);
    EXPECT_FALSE(global->at(0).size);
    EXPECT_TRUE(global->at(1).animated);
    EXPECT_EQ(global->at(1).size, QSize(84, 28));

    const auto channel = BetterTTVEmotes::fromChannel(R"({"id": "x", "bots": [],
        "channelEmotes": [{"id": "a1", "code": "Own", "imageType": "png", "animated": false}],
        "sharedEmotes": [{"id": "b2", "code": "Shared", "imageType": "gif", "animated": true, "user": {"id": "u"}}]})",
        bttvCDN);
    ASSERT_TRUE(channel);
    EXPECT_EQ(names(*channel), QStringList({ "Own", "Shared" }));
}

TEST(BetterTTVEmotes, leavesOutEntriesThatCannotBeUsedSafely)
{
    const auto emotes = BetterTTVEmotes::fromGlobal(R"([
        {"id": "../../steal", "code": "Climb"},
        {"id": "a/b", "code": "Slash"},
        {"id": "ok?x=1", "code": "Query"},
        {"id": "..", "code": "Dots"},
        {"code": "NoID"},
        {"id": "c3"},
        {"id": "d4", "code": "two words"},
        {"id": "e5", "code": ""},
        {"id": 7, "code": "NumericID"},
        "not an object",
        {"id": "f6", "code": "Fine"}
    ])", bttvCDN);
    ASSERT_TRUE(emotes);
    EXPECT_EQ(names(*emotes), QStringList({ "NumericID", "Fine" }));
}

TEST(CommunityEmoteParsers, answersOfTheWrongShapeAreRefused)
{
    EXPECT_FALSE(BetterTTVEmotes::fromGlobal("{\"message\": \"oops\"}", bttvCDN));
    EXPECT_FALSE(BetterTTVEmotes::fromChannel("[1, 2", bttvCDN));
    EXPECT_FALSE(FrankerFaceZEmotes::fromGlobal("[]", ffzAPI));
    EXPECT_FALSE(FrankerFaceZEmotes::fromRoom("<html>", ffzAPI));
    EXPECT_FALSE(SevenTVEmotes::fromEmoteSet("null", sevenAPI));
    EXPECT_FALSE(SevenTVEmotes::fromUser("", sevenAPI));
    // The right shape without emotes is an empty set, not a failure.
    EXPECT_EQ(SevenTVEmotes::fromUser(R"({"id": "1", "emote_set": null})", sevenAPI), QList<CommunityEmote>());
}

TEST(FrankerFaceZEmotes, globalAnswerShowsOnlyTheDefaultSets)
{
    const auto emotes = FrankerFaceZEmotes::fromGlobal(R"({
        "default_sets": [3],
        "sets": {
            "3": {"id": 3, "emoticons": [{"id": 25927, "name": "CatBag", "width": 32, "height": 32,
                  "urls": {"1": "//cdn.example/emote/25927/1", "2": "//cdn.example/emote/25927/2",
                           "4": "//cdn.example/emote/25927/4"}}]},
            "4330": {"id": 4330, "emoticons": [{"id": 1, "name": "SomeonesOwn",
                     "urls": {"1": "https://cdn.example/emote/1/1"}}]}
        },
        "users": {"4330": ["someone"]}
    })", ffzAPI);
    ASSERT_TRUE(emotes);
    ASSERT_EQ(names(*emotes), QStringList({ "CatBag" }));
    const CommunityEmote& catBag = emotes->first();
    EXPECT_EQ(catBag.id, QStringLiteral("25927"));
    EXPECT_EQ(catBag.imageURL, QUrl(QStringLiteral("https://cdn.example/emote/25927/2"))) << "takes the API's scheme";
    EXPECT_EQ(catBag.size, QSize(32, 32));
    EXPECT_EQ(catBag.provider, CommunityEmoteProvider::FrankerFaceZ);
}

TEST(FrankerFaceZEmotes, roomAnswerTakesTheRoomsSetScalesAndAnimation)
{
    const auto emotes = FrankerFaceZEmotes::fromRoom(R"({
        "room": {"twitch_id": 100000001, "id": "demo", "set": 900001},
        "sets": {
            "900001": {"emoticons": [
                {"id": 10, "name": "OnlyOne", "urls": {"1": "https://cdn.example/emote/10/1"}},
                {"id": 11, "name": "Blink", "urls": {"1": "https://cdn.example/emote/11/1", "2": "https://cdn.example/emote/11/2"},
                 "animated": {"1": "//cdn.example/emote/11/animated/1", "2": "//cdn.example/emote/11/animated/2"}},
                {"id": 12, "name": "Still", "urls": {"2": "https://cdn.example/emote/12/2"}, "animated": null},
                {"id": 13, "name": "Sneaky", "urls": {"2": "javascript:alert"}},
                {"id": 14, "name": "NoURLs"},
                {"id": 15, "name": "FileScheme", "urls": {"2": "file:///etc/passwd"}}
            ]},
            "777": {"emoticons": [{"id": 16, "name": "OtherSet", "urls": {"1": "https://cdn.example/16"}}]}
        }
    })", QUrl(QStringLiteral("http://127.0.0.1:8080/ffz/v1")));
    ASSERT_TRUE(emotes);
    ASSERT_EQ(names(*emotes), QStringList({ "OnlyOne", "Blink", "Still" }));
    EXPECT_EQ(emotes->at(0).imageURL, QUrl(QStringLiteral("https://cdn.example/emote/10/1"))) << "the largest below 2";
    EXPECT_TRUE(emotes->at(1).animated);
    EXPECT_EQ(emotes->at(1).imageURL, QUrl(QStringLiteral("http://cdn.example/emote/11/animated/2")));
    EXPECT_FALSE(emotes->at(2).animated);
}

namespace {

// A 7TV set entry with 1x/2x files in the given formats.
QByteArray sevenTVEntry(const char* id, const char* name, int flags, const QStringList& formats, const char* host = "//cdn.example/emote/ID")
{
    QStringList files;
    for (const char* scale : { "1x", "2x" })
        for (const QString& format : formats)
            files.append(QStringLiteral(R"({"name": "%1.%2", "width": %3, "height": 32, "format": "%4"})")
                             .arg(QLatin1String(scale), format.toLower())
                             .arg(QLatin1String(scale) == QLatin1String("1x") ? 96 : 192)
                             .arg(format));
    return QStringLiteral(R"({"id": "%1", "name": "%2", "flags": %3, "data": {"id": "%1", "name": "Original",
        "animated": true, "host": {"url": "%4", "files": [%5]}}})")
        .arg(QLatin1String(id), QLatin1String(name))
        .arg(flags)
        .arg(QLatin1String(host), files.join(u','))
        .toUtf8();
}

} // namespace

TEST(SevenTVEmotes, readsTheSetEntrysNameFlagsAndThe2xWebpFile)
{
    const QByteArray set = "{\"id\": \"global\", \"emotes\": [" +
        sevenTVEntry("01F6MQ33FG000FFJ97ZB8MWV52", "Renamed", 1, { "AVIF", "WEBP", "GIF" }) + "," +
        sevenTVEntry("01F6NACCD80006SZ7ZW5FMWKWK", "GifOnly", 0, { "AVIF", "GIF" }) + "," +
        sevenTVEntry("01F6NACCD80006SZ7ZW5FMWKWX", "AvifOnly", 0, { "AVIF" }) + "," +
        sevenTVEntry("01F6NACCD80006SZ7ZW5FMWKWY", "BadHost", 0, { "WEBP" }, "ftp://cdn.example/x") + "," +
        sevenTVEntry("../01F6", "BadID", 0, { "WEBP" }) + "," +
        sevenTVEntry("01F6NACCD80006SZ7ZW5FMWKWZ", "Other", 2, { "WEBP" }) + "]}";
    const auto emotes = SevenTVEmotes::fromEmoteSet(set, sevenAPI);
    ASSERT_TRUE(emotes);
    ASSERT_EQ(names(*emotes), QStringList({ "Renamed", "GifOnly", "Other" }));
    const CommunityEmote& renamed = emotes->at(0);
    EXPECT_EQ(renamed.imageURL, QUrl(QStringLiteral("https://cdn.example/emote/ID/2x.webp")));
    EXPECT_TRUE(renamed.zeroWidth);
    EXPECT_TRUE(renamed.animated);
    EXPECT_EQ(renamed.size, QSize(96, 32)) << "the 1x file's size";
    EXPECT_EQ(emotes->at(1).imageURL, QUrl(QStringLiteral("https://cdn.example/emote/ID/2x.gif")));
    EXPECT_FALSE(emotes->at(2).zeroWidth) << "only bit 1 marks zero-width";

    const auto user = SevenTVEmotes::fromUser(
        "{\"id\": \"1\", \"platform\": \"TWITCH\", \"emote_set\": {\"emotes\": [" +
            sevenTVEntry("01F78CHJ2G0005TDE6SJ9A8R3K", "catJAM", 0, { "WEBP" }) + "]}}",
        QUrl(QStringLiteral("http://127.0.0.1:9/7tv/v3")));
    ASSERT_TRUE(user);
    ASSERT_EQ(names(*user), QStringList({ "catJAM" }));
    EXPECT_EQ(user->first().imageURL.scheme(), QStringLiteral("http"));
}
