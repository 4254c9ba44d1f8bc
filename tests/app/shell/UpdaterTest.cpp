#include "app/shell/updates/Updater.h"
#include "app/shell/updates/SoftwareVersion.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;

namespace {

constexpr int timeout = 10000;

const QByteArray feed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:p="https://parley.example/ns"><channel><title>Parley</title>
<item><title>Parley 1.9</title><link>https://parley.example/1.9</link><p:version>1.9</p:version></item>
<item><title>Parley 1.10</title><link>https://parley.example/1.10</link>
  <enclosure url="https://parley.example/1.10.tar.gz" p:version="1.10" length="1"/></item>
<item><title>No version</title><link>https://parley.example/none</link></item>
<item><title>Scripted</title><link>javascript:alert(1)</link><version>1.2</version></item>
</channel></rss>)";

TEST(SoftwareVersion, OrdersReleaseNumbers)
{
    EXPECT_GT(SoftwareVersion::compare(QStringLiteral("1.10"), QStringLiteral("1.9")), 0);
    EXPECT_EQ(SoftwareVersion::compare(QStringLiteral("1.2"), QStringLiteral("1.2.0")), 0);
    EXPECT_EQ(SoftwareVersion::compare(QStringLiteral("v2.0"), QStringLiteral("2")), 0);
    EXPECT_LT(SoftwareVersion::compare(QStringLiteral("1.2-beta1"), QStringLiteral("1.2")), 0);
    EXPECT_LT(SoftwareVersion::compare(QStringLiteral("1.2-beta1"), QStringLiteral("1.2-beta2")), 0);
    EXPECT_LT(SoftwareVersion::compare(QStringLiteral("0.9.9"), QStringLiteral("0.10")), 0);
}

TEST(UpdateFeed, ReadsReleasesWithAVersionAndDropsUnsafePages)
{
    const std::optional<UpdateFeed> parsed = UpdateFeed::parse(feed);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->releases.size(), 3);
    EXPECT_EQ(parsed->releases[0].version, QStringLiteral("1.9"));
    EXPECT_EQ(parsed->releases[1].version, QStringLiteral("1.10"));
    EXPECT_EQ(parsed->releases[1].pageURL, QUrl(QStringLiteral("https://parley.example/1.10")));
    EXPECT_FALSE(parsed->releases[2].pageURL.isValid());

    const std::optional<UpdateFeed::Release> newest = parsed->newestAfter(QStringLiteral("1.2"));
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->title, QStringLiteral("Parley 1.10"));
    EXPECT_FALSE(parsed->newestAfter(QStringLiteral("1.10")));

    EXPECT_FALSE(UpdateFeed::parse("<html><body>not a feed</body></html>"));
    EXPECT_FALSE(UpdateFeed::parse("<rss><channel><item>"));
}

TEST(UpdateCheckResult, TellsTheUserOnlyWhatTheyAskedForOrANewVersion)
{
    UpdateCheckResult upToDate { UpdateCheckResult::Outcome::upToDate, QStringLiteral("1.0"), {}, {} };
    EXPECT_EQ(upToDate.message(), QStringLiteral("You're up to date."));
    EXPECT_TRUE(upToDate.isShown(true));
    EXPECT_FALSE(upToDate.isShown(false));
    UpdateCheckResult failed { UpdateCheckResult::Outcome::failed, QStringLiteral("1.0"), {}, QStringLiteral("gone") };
    EXPECT_FALSE(failed.isShown(false));
    UpdateCheckResult available { UpdateCheckResult::Outcome::updateAvailable, QStringLiteral("1.0"),
        UpdateFeed::Release { QStringLiteral("1.1"), {}, {} }, {} };
    EXPECT_TRUE(available.isShown(false));
    EXPECT_EQ(available.details(), QStringLiteral("Parley 1.1 is available; you have 1.0."));
}

class UpdaterTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    QUrl serve(const QByteArray& body)
    {
        simulator.putFile(QStringLiteral("/feed.xml"), sim::SimResource { body, "application/rss+xml" });
        return simulator.baseURL().resolved(QUrl(QStringLiteral("/feed.xml")));
    }

    std::pair<UpdateCheckResult, bool> waitForCheck(QSignalSpy& finished)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, timeout));
        if (finished.isEmpty())
            return {};
        return { finished.first().at(0).value<UpdateCheckResult>(), finished.first().at(1).toBool() };
    }

    sim::TwitchSimulator simulator;
    QNetworkAccessManager network;
};

TEST_F(UpdaterTest, FindsANewerReleaseInTheFeed)
{
    Updater updater(serve(feed), QStringLiteral("1.2"), network);
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.startUpdater();
    const auto [result, userInitiated] = waitForCheck(finished);
    EXPECT_FALSE(userInitiated);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::updateAvailable);
    ASSERT_TRUE(result.release);
    EXPECT_EQ(result.release->version, QStringLiteral("1.10"));
}

TEST_F(UpdaterTest, UserCheckReportsUpToDateAndFailures)
{
    Updater current(serve(feed), QStringLiteral("2.0"), network);
    QSignalSpy finished(&current, &Updater::checkFinished);
    current.checkForUpdates();
    auto [result, userInitiated] = waitForCheck(finished);
    EXPECT_TRUE(userInitiated);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::upToDate);

    simulator.setFault(QStringLiteral("/feed.xml"), sim::HttpFault { .status = 500 });
    Updater broken(simulator.baseURL().resolved(QUrl(QStringLiteral("/feed.xml"))), QStringLiteral("1.0"), network);
    QSignalSpy brokenFinished(&broken, &Updater::checkFinished);
    broken.checkForUpdates();
    std::tie(result, userInitiated) = waitForCheck(brokenFinished);
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::failed);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST_F(UpdaterTest, WithoutAFeedOnlyTheUsersCheckAnswersThatThereIsNone)
{
    Updater updater(std::nullopt, QStringLiteral("1.0"), network);
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.startUpdater();
    EXPECT_TRUE(finished.isEmpty());
    updater.checkForUpdates();
    ASSERT_EQ(finished.size(), 1);
    const auto result = finished.first().at(0).value<UpdateCheckResult>();
    EXPECT_EQ(result.outcome, UpdateCheckResult::Outcome::notConfigured);
    // Said to the user, who knows nothing of the bundle's configuration.
    EXPECT_EQ(result.message(), QStringLiteral("This copy of Parley does not check for updates."));
    EXPECT_FALSE(result.details().contains(QStringLiteral("Info.json")));
}

} // namespace
