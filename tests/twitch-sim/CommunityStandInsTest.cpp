#include "twitch-sim/SimChatTraffic.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace parley::sim;

namespace {

class CommunityStandInsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    std::pair<int, QByteArray> get(const QString& path)
    {
        std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(QUrl(simulator.baseURL().toString() + path))));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 20000));
        return { reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll() };
    }

    QJsonDocument json(const QString& path)
    {
        const auto [status, body] = get(path);
        EXPECT_EQ(status, 200) << path.toStdString();
        return QJsonDocument::fromJson(body);
    }

    // Every frame of an image, decoded.
    static QList<QImage> frames(QByteArray bytes)
    {
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        QList<QImage> result;
        for (int i = 0; i < std::max(reader.imageCount(), 1); ++i)
            result.append(reader.read());
        return result;
    }

    // The protocol-relative address made absolute, as a client does.
    QString path(const QString& protocolRelative) const
    {
        return QUrl(QStringLiteral("http:") + protocolRelative).path();
    }

    TwitchSimulator simulator;
    QNetworkAccessManager network;
};

} // namespace

TEST_F(CommunityStandInsTest, sevenTVServesAnimatedWebpThatQtReadsAsAnimation)
{
    const QJsonArray emotes = json(QStringLiteral("/7tv/v3/emote-sets/global"))[QStringLiteral("emotes")].toArray();
    ASSERT_EQ(emotes.size(), 2);
    const QJsonObject rain = emotes[0].toObject();
    EXPECT_EQ(rain[QStringLiteral("flags")].toInt(), 1) << "the zero-width one";
    const QString rainHost = rain[QStringLiteral("data")][QStringLiteral("host")][QStringLiteral("url")].toString();
    const QList<QImage> rainImage = frames(get(path(rainHost) + QStringLiteral("/2x.webp")).second);
    ASSERT_EQ(rainImage.size(), 1);
    EXPECT_EQ(rainImage[0].pixelColor(28, 40).alpha(), 0) << "what it is drawn over shows through";
    const QJsonObject wave = emotes[1].toObject()[QStringLiteral("data")].toObject();
    EXPECT_TRUE(wave[QStringLiteral("animated")].toBool());
    const QString host = wave[QStringLiteral("host")].toObject()[QStringLiteral("url")].toString();
    ASSERT_TRUE(host.startsWith(QStringLiteral("//127.0.0.1:")));

    const auto [status, webp] = get(path(host) + QStringLiteral("/2x.webp"));
    ASSERT_EQ(status, 200);
    const QList<QImage> animation = frames(webp);
    ASSERT_EQ(animation.size(), 4);
    EXPECT_EQ(animation[0].size(), QSize(56, 56));
    EXPECT_NE(animation[0], animation[1]) << "the frames move";
    EXPECT_EQ(animation[0].pixelColor(0, 0).alpha(), 0) << "corners stay transparent";

    EXPECT_EQ(get(path(host) + QStringLiteral("/2x.avif")).first, 404) << "listed like the service, not served";
}

TEST_F(CommunityStandInsTest, betterTTVAndFrankerFaceZServeGifsWideEmotesAndMissingScales)
{
    const QJsonObject channel =
        json(QStringLiteral("/bttv/3/cached/users/twitch/") + QString::fromLatin1(demo::userID)).object();
    QJsonArray all = channel[QStringLiteral("channelEmotes")].toArray();
    for (const QJsonValue& shared : channel[QStringLiteral("sharedEmotes")].toArray())
        all.append(shared);
    QHash<QString, QString> ids;
    for (const QJsonValue& emote : all)
        ids.insert(emote[QStringLiteral("code")].toString(), emote[QStringLiteral("id")].toString());
    EXPECT_EQ(frames(get(QStringLiteral("/bttv-cdn/emote/%1/2x").arg(ids.value(QStringLiteral("catJAM")))).second).size(), 4);
    const QList<QImage> wide = frames(get(QStringLiteral("/bttv-cdn/emote/%1/2x").arg(ids.value(QStringLiteral("SimLongBoi")))).second);
    ASSERT_EQ(wide.size(), 1);
    EXPECT_EQ(wide[0].size(), QSize(168, 56));

    const QJsonObject global = json(QStringLiteral("/ffz/v1/set/global")).object();
    const QJsonObject frank = global[QStringLiteral("sets")][QStringLiteral("3")][QStringLiteral("emoticons")][0].toObject();
    const QJsonObject urls = frank[QStringLiteral("urls")].toObject();
    EXPECT_EQ(urls.keys(), QStringList({ "1" })) << "an emoticon with only its first scale";
    EXPECT_EQ(get(path(urls[QStringLiteral("1")].toString())).first, 200);
    EXPECT_EQ(get(path(urls[QStringLiteral("1")].toString()).replace(QStringLiteral("/1"), QStringLiteral("/2"))).first, 404);

    EXPECT_EQ(get(QStringLiteral("/ffz/v1/room/id/") + QString::fromLatin1(demo::otherChannelUserID)).first, 404);
    EXPECT_EQ(get(QStringLiteral("/bttv/3/cached/users/twitch/") + QString::fromLatin1(demo::otherChannelUserID)).first, 404);
}

TEST(SimChatTraffic, messagesUseTheCommunityWordsWithoutEmoteTagsForThem)
{
    SimChatTraffic traffic(QStringLiteral("chan"), QStringLiteral("1"), {}, 7, { QStringLiteral("KEKW") });
    int withWord = 0;
    for (int i = 0; i < 300; ++i) {
        const SimChatLine line = traffic.nextLine();
        if (line.isChatMessage && line.text.contains(QStringLiteral(" KEKW")))
            ++withWord;
        if (line.isChatMessage) {
            EXPECT_TRUE(line.text.contains(QStringLiteral(";emotes=;"))) << line.text.toStdString();
        }
    }
    EXPECT_GT(withWord, 10);
}
