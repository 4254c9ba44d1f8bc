#include "app/shell/EndToEnd.h"

using namespace parley;
using namespace parley::endtoend;

namespace {

TEST_F(EndToEndTest, SignsInBothWaysFloatsAcrossALaunchAndLogsOut)
{
    const QString signInTitle = QStringLiteral("Parley - Sign into Twitch");
    const QString sessionTitle = QStringLiteral("Parley - #parley_demo");
    std::unique_ptr<RunningParley> parley = launch();

    // Signed out: the sign-in window, its button named for the web domain.
    QJsonObject window = parley->waitForWindow(signInTitle);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_EQ(parley->menuItem(0)[QStringLiteral("title")].toString(), QStringLiteral("Logout"));
    EXPECT_FALSE(parley->menuItem(0)[QStringLiteral("enabled")].toBool());

    // First way: the browser hands the redirect to a second `parley URL`.
    ASSERT_TRUE(parley->run(QStringLiteral("press"), QStringLiteral("Sign in with twitch.tv")));
    const QUrl redirect = authorize(parley->waitForOpenedAddress());
    ASSERT_TRUE(redirect.fragment().contains(QStringLiteral("access_token=")));
    RunningParley second(program(), environment, runtimeDirectory(), { redirect.toString(QUrl::FullyEncoded) });
    ASSERT_TRUE(second.process().waitForFinished(timeout));
    EXPECT_EQ(second.process().exitCode(), 0);
    ASSERT_FALSE(parley->waitForWindow(sessionTitle).isEmpty());
    EXPECT_EQ(parley->menuItem(0)[QStringLiteral("title")].toString(), QStringLiteral("Logout parley_demo..."));
    EXPECT_TRUE(QTest::qWaitFor([this] { return storedItems().size() == 2; }, timeout));

    // The chat comes in, with emote images, and an own message is confirmed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->rows(sessionTitle).size() >= 3; }, timeout));
    EXPECT_TRUE(QTest::qWaitFor([this] { return emoteImageRequests() > 0; }, timeout));
    const QString ownText = QStringLiteral("hello from the end-to-end test");
    ASSERT_TRUE(parley->run(QStringLiteral("type"),
        QJsonObject { { QStringLiteral("name"), QStringLiteral("Message...") }, { QStringLiteral("text"), ownText } }));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (const auto& [name, height] : parley->rows(sessionTitle))
                if (name.endsWith(QStringLiteral(": ") + ownText))
                    return true;
            return false;
        },
        timeout));

    // Settings: a larger font restyles the chat at once and is stored.
    const int rowBefore = parley->shortestRow(sessionTitle);
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Settings…")));
    const QJsonObject settings = parley->waitForWindow(QStringLiteral("Settings"));
    ASSERT_FALSE(settings.isEmpty());
    EXPECT_EQ(settings[QStringLiteral("width")].toInt(), 825);
    EXPECT_EQ(settings[QStringLiteral("height")].toInt(), 500);
    EXPECT_FALSE(parley->rows(QStringLiteral("Settings")).isEmpty());
    for (const char* field : { "Username font size", "Message font size" })
        ASSERT_TRUE(parley->run(QStringLiteral("type"),
            QJsonObject { { QStringLiteral("name"), QString::fromLatin1(field) },
                { QStringLiteral("text"), QStringLiteral("30") } }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->shortestRow(sessionTitle) > rowBefore * 3 / 2; }, timeout))
        << rowBefore << " " << parley->shortestRow(sessionTitle);
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            const QJsonObject theme =
                QJsonDocument::fromJson(storedDefault(QStringLiteral("theme")).toByteArray()).object();
            return theme[QStringLiteral("userFont")][QStringLiteral("size")].toDouble() == 30;
        },
        timeout));

    // Always on Top floats the window, and is remembered.
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Always on Top")));
    EXPECT_TRUE(parley->waitForWindow(sessionTitle)[QStringLiteral("stayOnTop")].toBool());
    EXPECT_TRUE(parley->menuItem(1)[QStringLiteral("checked")].toBool());
    EXPECT_TRUE(QTest::qWaitFor([this] { return storedDefault(QStringLiteral("stayOnTop")).toBool(); }, timeout));
    parley->stop();

    // A new launch restores the sign-in and, a second later, the floating window.
    parley = launch();
    ASSERT_FALSE(parley->waitForWindow(sessionTitle).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return parley->waitForWindow(sessionTitle)[QStringLiteral("stayOnTop")].toBool(); }, timeout));
    EXPECT_TRUE(parley->menuItem(1)[QStringLiteral("checked")].toBool());

    // Logout: back to the sign-in window, nothing left in the keyring.
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Logout parley_demo...")));
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return storedItems().isEmpty(); }, timeout));
    // The simulator hands out the same token again: a revocation still on its
    // way would cancel the next sign-in's grant.
    EXPECT_TRUE(QTest::qWaitFor([this] { return revokeRequests() == 1; }, timeout));

    // Second way: the browser returns to the loopback page, which posts back.
    ASSERT_TRUE(parley->run(QStringLiteral("press"), QStringLiteral("Sign in with twitch.tv")));
    EXPECT_EQ(postToLoopbackPage(authorize(parley->waitForOpenedAddress())), 200);
    ASSERT_FALSE(parley->waitForWindow(sessionTitle).isEmpty()) << parley->standardError().toStdString();

    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Logout parley_demo...")));
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return storedItems().isEmpty(); }, timeout));
    // Windows that close take their QML down quietly.
    EXPECT_FALSE(parley->standardError().contains("TypeError")) << parley->standardError().toStdString();
}

} // namespace
