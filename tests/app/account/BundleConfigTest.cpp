#include "app/account/BundleConfig.h"
#include "app/account/BundleConfigError.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace parley;

namespace {

const QJsonObject minimalInfo {
    { QStringLiteral("CFBundleIdentifier"), QStringLiteral("app.parley.Parley") },
    { QStringLiteral("TWITCH_CLIENT_ID"), QStringLiteral("client") },
    { QStringLiteral("TWITCH_AUTH_REDIRECT_URL"), QStringLiteral("http://localhost:17563") },
};

class BundleConfigTest : public testing::Test {
protected:
    void writeInfo(const QByteArray& json)
    {
        QDir(bundle.path()).mkpath(QStringLiteral("share/parley"));
        QFile file(BundleConfig::infoPath(bundle.path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    void writeInfo(const QJsonObject& info) { writeInfo(QJsonDocument(info).toJson()); }

    // The description of the error reading the bundle fails with.
    QString failure()
    {
        try {
            BundleConfig::read(bundle.path());
        } catch (const BundleConfigError& error) {
            return error.description();
        }
        return {};
    }

    QTemporaryDir bundle;
};

QJsonObject with(QJsonObject info, const QString& key, const QJsonValue& value)
{
    if (value.isUndefined())
        info.remove(key);
    else
        info.insert(key, value);
    return info;
}

} // namespace

TEST_F(BundleConfigTest, ReadsEveryKeyOfTheBundle)
{
    QJsonObject info = minimalInfo;
    info.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.2.3"));
    info.insert(QStringLiteral("TWITCH_IDENTITY_URL"), QStringLiteral("http://127.0.0.1:4000"));
    info.insert(QStringLiteral("TWITCH_HELIX_URL"), QStringLiteral("http://127.0.0.1:4000"));
    info.insert(QStringLiteral("TWITCH_CHAT_URL"), QStringLiteral("ws://127.0.0.1:4001"));
    info.insert(QStringLiteral("TWITCH_CAPABILITY_NAMESPACE"), QStringLiteral("sim.local"));
    info.insert(QStringLiteral("TWITCH_WEB_DOMAIN"), QStringLiteral("sim.local"));
    info.insert(QStringLiteral("UPDATE_FEED_URL"), QStringLiteral("https://example.org/appcast.xml"));
    info.insert(QStringLiteral("BTTV_API_URL"), QStringLiteral("http://127.0.0.1:4000/bttv/3"));
    info.insert(QStringLiteral("BTTV_CDN_URL"), QStringLiteral("http://127.0.0.1:4000/bttv-cdn"));
    info.insert(QStringLiteral("FFZ_API_URL"), QStringLiteral("http://127.0.0.1:4000/ffz/v1"));
    info.insert(QStringLiteral("SEVENTV_API_URL"), QStringLiteral("http://127.0.0.1:4000/7tv/v3"));
    info.insert(QStringLiteral("RECENT_MESSAGES_URL"), QStringLiteral("http://127.0.0.1:4000/recent-messages"));
    writeInfo(info);

    const BundleConfig config = BundleConfig::read(bundle.path());
    EXPECT_EQ(config.bundleIdentifier, QStringLiteral("app.parley.Parley"));
    EXPECT_EQ(config.credentialKeyPrefix(), QStringLiteral("app.parley.Parley."));
    EXPECT_EQ(config.shortVersion, QStringLiteral("1.2.3"));
    EXPECT_EQ(config.twitchClientID, QStringLiteral("client"));
    EXPECT_EQ(config.twitchAuthRedirectURL, QUrl(QStringLiteral("http://localhost:17563")));
    EXPECT_EQ(config.twitchIdentityURL, QUrl(QStringLiteral("http://127.0.0.1:4000")));
    EXPECT_EQ(config.twitchChatURL, QUrl(QStringLiteral("ws://127.0.0.1:4001")));
    EXPECT_EQ(config.twitchCapabilityNamespace, QStringLiteral("sim.local"));
    EXPECT_EQ(config.updateFeedURL, QUrl(QStringLiteral("https://example.org/appcast.xml")));
    const CommunityEmoteServices community = config.communityEmoteServices();
    EXPECT_EQ(community.betterTTVAPI, QUrl(QStringLiteral("http://127.0.0.1:4000/bttv/3")));
    EXPECT_EQ(community.betterTTVCDN, QUrl(QStringLiteral("http://127.0.0.1:4000/bttv-cdn")));
    EXPECT_EQ(community.frankerFaceZAPI, QUrl(QStringLiteral("http://127.0.0.1:4000/ffz/v1")));
    EXPECT_EQ(community.sevenTVAPI, QUrl(QStringLiteral("http://127.0.0.1:4000/7tv/v3")));
    EXPECT_EQ(config.recentMessagesService(),
        (RecentMessagesService { QUrl(QStringLiteral("http://127.0.0.1:4000/recent-messages")), "Parley/1.2.3" }));
}

TEST_F(BundleConfigTest, ServiceAddressesDefaultToTheRealService)
{
    writeInfo(minimalInfo);
    const BundleConfig config = BundleConfig::read(bundle.path());
    EXPECT_EQ(config.twitchIdentityURL, QUrl(QStringLiteral("https://id.twitch.tv")));
    EXPECT_EQ(config.twitchHelixURL, QUrl(QStringLiteral("https://api.twitch.tv")));
    EXPECT_EQ(config.twitchChatURL, QUrl(QStringLiteral("wss://irc-ws.chat.twitch.tv:443")));
    EXPECT_EQ(config.twitchWebDomain, QStringLiteral("twitch.tv"));
    EXPECT_EQ(config.shortVersion, QString());
    EXPECT_EQ(config.updateFeedURL, std::nullopt);
    EXPECT_EQ(config.communityEmoteServices(),
        (CommunityEmoteServices { QUrl(QStringLiteral("https://api.betterttv.net/3")),
            QUrl(QStringLiteral("https://cdn.betterttv.net")), QUrl(QStringLiteral("https://api.frankerfacez.com/v1")),
            QUrl(QStringLiteral("https://7tv.io/v3")) }));
    EXPECT_EQ(config.recentMessagesURL, QUrl(QStringLiteral("https://recent-messages.robotty.de")));
}

TEST_F(BundleConfigTest, AMissingOrUnreadableFileIsFatal)
{
    EXPECT_TRUE(failure().contains(QStringLiteral("share/parley/Info.json: cannot be read")));
    writeInfo(QByteArray("{\"CFBundleIdentifier\": "));
    EXPECT_TRUE(failure().contains(QStringLiteral("not valid JSON")));
    writeInfo(QByteArray("[\"TWITCH_CLIENT_ID\"]"));
    EXPECT_TRUE(failure().endsWith(QStringLiteral("not a JSON object")));
}

TEST_F(BundleConfigTest, MissingOrUnusableKeysAreFatalAndNamed)
{
    const QString key = QStringLiteral("TWITCH_CLIENT_ID");
    const QString redirect = QStringLiteral("TWITCH_AUTH_REDIRECT_URL");
    const QList<std::tuple<QJsonObject, QString>> cases {
        { with(minimalInfo, key, QJsonValue::Undefined), QStringLiteral("\"TWITCH_CLIENT_ID\" is missing") },
        { with(minimalInfo, key, QStringLiteral(" ")), QStringLiteral("\"TWITCH_CLIENT_ID\" is empty") },
        { with(minimalInfo, key, 42), QStringLiteral("\"TWITCH_CLIENT_ID\" is not a string") },
        { with(minimalInfo, QStringLiteral("CFBundleIdentifier"), QJsonValue::Undefined),
            QStringLiteral("\"CFBundleIdentifier\" is missing") },
        { with(minimalInfo, redirect, QJsonValue::Undefined),
            QStringLiteral("\"TWITCH_AUTH_REDIRECT_URL\" is missing") },
        { with(minimalInfo, redirect, QStringLiteral("http://[bad")),
            QStringLiteral("\"TWITCH_AUTH_REDIRECT_URL\" is not an absolute URL") },
        { with(minimalInfo, redirect, QStringLiteral("/relative")),
            QStringLiteral("\"TWITCH_AUTH_REDIRECT_URL\" is not an absolute URL") },
        { with(minimalInfo, QStringLiteral("TWITCH_HELIX_URL"), true),
            QStringLiteral("\"TWITCH_HELIX_URL\" is not a string") },
        { with(minimalInfo, QStringLiteral("TWITCH_HELIX_URL"), QStringLiteral("ftp://host")),
            QStringLiteral("\"TWITCH_HELIX_URL\" is not a https or http address") },
        { with(minimalInfo, QStringLiteral("TWITCH_CHAT_URL"), QStringLiteral("https://host")),
            QStringLiteral("\"TWITCH_CHAT_URL\" is not a wss or ws address") },
        { with(minimalInfo, QStringLiteral("SEVENTV_API_URL"), QStringLiteral("wss://host")),
            QStringLiteral("\"SEVENTV_API_URL\" is not a https or http address") },
        { with(minimalInfo, QStringLiteral("BTTV_CDN_URL"), QStringLiteral("cdn")),
            QStringLiteral("\"BTTV_CDN_URL\" is not an absolute URL") },
    };
    for (const auto& [info, expected] : cases) {
        writeInfo(info);
        const QString description = failure();
        EXPECT_TRUE(description.startsWith(BundleConfig::infoPath(bundle.path()))) << description.toStdString();
        EXPECT_TRUE(description.endsWith(expected)) << description.toStdString();
    }
}
