#include "app/overlay/OverlayFeed.h"
#include "app/overlay/OverlayOptions.h"

#include <QJsonArray>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parley {
namespace {

QJsonObject message(int number)
{
    return { { "id", QStringLiteral("m%1").arg(number) }, { "name", "viewer" },
        { "runs", QJsonArray { QJsonObject { { "text", QStringLiteral("line %1").arg(number) } } } } };
}

TEST(OverlayFeedTest, ReplaysTheLastFiftyMessagesWithoutTheDeletedOnes)
{
    OverlayFeed feed;
    QSignalSpy published(&feed, &OverlayFeed::eventPublished);
    for (int number = 1; number <= 60; ++number)
        feed.publish(message(number));
    ASSERT_EQ(published.size(), 60);
    EXPECT_EQ(published.last().first().toByteArray(),
        R"(data: {"id":"m60","name":"viewer","runs":[{"text":"line 60"}]})"
        "\n\n");

    feed.remove(QStringLiteral("m30"));
    EXPECT_EQ(published.last().first().toByteArray(), "event: delete\ndata: m30\n\n");
    const QByteArray replay = feed.replay();
    EXPECT_EQ(replay.count("data: "), 49);
    EXPECT_FALSE(replay.contains("\"m10\""));
    EXPECT_TRUE(replay.startsWith(R"(data: {"id":"m11")"));
    EXPECT_FALSE(replay.contains("\"m30\""));

    // An id that would end the event early is not sent at all.
    feed.remove(QStringLiteral("m31\n\ndata: forged"));
    EXPECT_EQ(published.size(), 61);
}

TEST(OverlayOptionsTest, StartsOffWithAStoredTokenAndSurvivesABrokenStore)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    const OverlayOptions first = loadOverlayOptions(settings);
    EXPECT_FALSE(first.enabled);
    EXPECT_EQ(first.port, 17565);
    EXPECT_EQ(first.token.size(), 32);
    EXPECT_EQ(loadOverlayOptions(settings), first); // the address stays from launch to launch

    OverlayOptions changed = first;
    changed.enabled = true;
    changed.messageLifetime = std::chrono::seconds(30);
    changed.fontScale = 1.5;
    storeOverlayOptions(settings, changed);
    EXPECT_EQ(loadOverlayOptions(settings), changed);

    settings.setValue("overlay", QByteArray(R"({"enabled":true,"port":17565,"token":"<script>"})"));
    const OverlayOptions replaced = loadOverlayOptions(settings);
    EXPECT_FALSE(replaced.enabled);
    EXPECT_NE(replaced.token, first.token);
    EXPECT_NE(OverlayOptions::newToken(), OverlayOptions::newToken());
}

} // namespace
} // namespace parley
