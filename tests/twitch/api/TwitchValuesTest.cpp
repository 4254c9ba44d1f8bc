#include "platform/DecodingError.h"
#include "platform/JsonReader.h"
#include "twitch/api/TwitchEmoteSet.h"
#include "twitch/api/TwitchUserAccessToken.h"
#include "twitch/api/TwitchUserInfo.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace parley;

namespace {

JsonReader read(const QByteArray& json)
{
    return JsonReader::parse(json);
}

TEST(TwitchValuesTest, InfoIsStoredAsSecondsSinceTheReferenceDateAndReadBackAsTheSameInstant)
{
    TwitchUserAccessToken::Info info;
    info.clientID = QStringLiteral("c");
    info.login = QStringLiteral("l");
    info.scopes = { TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit };
    info.userID = QStringLiteral("1");
    info.expiresAt = QDateTime(QDate(2001, 1, 1), QTime(0, 16, 40), Qt::UTC);

    const QJsonObject json = info.toJson();
    EXPECT_DOUBLE_EQ(json.value(QStringLiteral("expires_in")).toDouble(), 1000.0);
    EXPECT_EQ(json.value(QStringLiteral("scopes")).toArray(),
        (QJsonArray { QStringLiteral("chat:edit"), QStringLiteral("chat:read") }));

    const TwitchUserAccessToken::Info restored = TwitchUserAccessToken::Info::fromStoredJson(
        read(QJsonDocument(json).toJson()));
    EXPECT_EQ(restored, info);
    // Only the service's answer counts from now.
    const TwitchUserAccessToken::Info answered = TwitchUserAccessToken::Info::fromJson(
        read(QJsonDocument(json).toJson()));
    EXPECT_NEAR(double(QDateTime::currentDateTimeUtc().secsTo(answered.expiresAt)), 1000.0, 5.0);
}

TEST(TwitchValuesTest, ScopesParleyHasNoUseForAreLeftOut)
{
    const TwitchUserAccessToken::Info info = TwitchUserAccessToken::Info::fromJson(
        read(R"({"client_id":"c","login":"l","scopes":["user:read:email","chat:read"],"user_id":"1","expires_in":0})"));
    EXPECT_EQ(info.scopes, QSet<TwitchAuthScope> { TwitchAuthScope::chatRead });
}

TEST(TwitchValuesTest, EmoteSetIDIsOptionalAndOmittedWhenAbsent)
{
    const QByteArray json = R"({"id":"1","name":"a","images":{"url_1x":"http://x/1","url_2x":"http://x/2",
        "url_4x":"http://x/4"},"format":["static","animated"],"scale":["1.0","2.0","3.0"],"theme_mode":["light"]})";
    const TwitchEmote emote = TwitchEmote::fromJson(read(json));
    EXPECT_EQ(emote.emoteSetID, std::nullopt);
    EXPECT_FALSE(emote.toJson().contains(QStringLiteral("emote_set_id")));
    EXPECT_EQ(TwitchEmote::fromJson(JsonReader(emote.toJson())), emote);

    TwitchEmote withSet = emote;
    withSet.emoteSetID = QStringLiteral("42");
    EXPECT_EQ(withSet.toJson().value(QStringLiteral("emote_set_id")).toString(), QStringLiteral("42"));
    EXPECT_EQ(TwitchEmote::fromJson(JsonReader(withSet.toJson())), withSet);
}

TEST(TwitchValuesTest, EmoteImagesNeedThreeValidURLs)
{
    EXPECT_THROW(TwitchEmoteImages::fromJson(read(R"({"url_1x":"http://x/1","url_2x":"http://x/2"})")), DecodingError);
    EXPECT_THROW(TwitchEmoteImages::fromJson(read(R"({"url_1x":"","url_2x":"http://x/2","url_4x":"http://x/4"})")),
        DecodingError);
    EXPECT_THROW(
        TwitchEmoteImages::fromJson(read(R"({"url_1x":"http://x y/","url_2x":"a","url_4x":"b"})")), DecodingError);
}

TEST(TwitchValuesTest, EmoteSetRoundTripsAndUserInfoDecodes)
{
    const TwitchEmoteSet set { { TwitchEmote { QStringLiteral("1"), QStringLiteral(":)"),
                                   { QUrl(QStringLiteral("http://x/1")), QUrl(QStringLiteral("http://x/2")),
                                       QUrl(QStringLiteral("http://x/4")) },
                                   { TwitchEmote::Format::static_ }, { TwitchEmote::Scale::x3 },
                                   { TwitchEmote::ThemeMode::dark }, QStringLiteral("0") } },
        QStringLiteral("T") };
    EXPECT_EQ(TwitchEmoteSet::fromJson(JsonReader(set.toJson())), set);

    const TwitchUserInfo user = TwitchUserInfo::fromJson(read(R"({"id":"7","login":"l","display_name":"L"})"));
    EXPECT_EQ(user, (TwitchUserInfo { QStringLiteral("7"), QStringLiteral("l"), QStringLiteral("L") }));
    EXPECT_THROW(TwitchUserInfo::fromJson(read(R"({"id":"7","login":"l"})")), DecodingError);
}

} // namespace
