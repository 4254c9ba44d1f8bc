#include "app/shell/EndToEnd.h"

using namespace parley;
using namespace parley::endtoend;

namespace {

const QString signInTitle = QStringLiteral("Parley - Sign into Twitch");
const QString sessionTitle = QStringLiteral("Parley - #parley_demo");
const QString aboutTitle = QStringLiteral("About Parley");

class WindowsEndToEndTest : public EndToEndTest {
protected:
    // Whether the program ended by itself, normally and with status 0.
    static bool endsWithStatusZero(RunningParley& parley)
    {
        QProcess& process = parley.process();
        return process.waitForFinished(timeout) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0;
    }

    static bool isShown(RunningParley& parley, const QString& title)
    {
        for (const QJsonValue& window : parley.describe().value(QStringLiteral("windows")).toArray())
            if (window[QStringLiteral("title")].toString() == title)
                return true;
        return false;
    }

    // The commands the window's menu bar exposes to assistive technologies.
    static QStringList accessibleMenu(RunningParley& parley, const QString& title)
    {
        QStringList names;
        for (const QJsonValue& name : parley.waitForWindow(title)[QStringLiteral("menuBar")].toArray())
            names.append(name.toString());
        return names;
    }
};

TEST_F(WindowsEndToEndTest, AboutAndSettingsCloseWithEscapeAndCtrlQQuitsTheSessionWithStatusZero)
{
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());
    EXPECT_TRUE(accessibleMenu(*parley, signInTitle).contains(QStringLiteral("Quit Parley")));

    // Signed in while running, the chat window's menu still reaches a screen reader.
    ASSERT_TRUE(signIn(*parley));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList commands = accessibleMenu(*parley, sessionTitle);
            return commands.contains(QStringLiteral("Logout parley_demo...")) &&
                commands.contains(QStringLiteral("Quit Parley")) && commands.contains(aboutTitle);
        },
        timeout))
        << accessibleMenu(*parley, sessionTitle).join(u',').toStdString();

    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), aboutTitle));
    const QJsonObject about = parley->waitForWindow(aboutTitle);
    ASSERT_FALSE(about.isEmpty());
    EXPECT_TRUE(parley->shows(QStringLiteral("Visit Website"), aboutTitle));
    ASSERT_TRUE(parley->key(aboutTitle, QStringLiteral("Escape")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isShown(*parley, aboutTitle); }, timeout));

    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Settings…")));
    ASSERT_FALSE(parley->waitForWindow(QStringLiteral("Settings")).isEmpty());
    ASSERT_TRUE(parley->key(QStringLiteral("Settings"), QStringLiteral("Escape")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isShown(*parley, QStringLiteral("Settings")); }, timeout));
    EXPECT_TRUE(isShown(*parley, sessionTitle));

    // The reply may not make it out before the program ends.
    parley->key(sessionTitle, QStringLiteral("Ctrl+Q"));
    EXPECT_TRUE(endsWithStatusZero(*parley)) << parley->standardError().toStdString();
}

TEST_F(WindowsEndToEndTest, ClosingTheMainWindowQuitsWhileSettingsAndAboutAreOpen)
{
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Settings…")));
    ASSERT_FALSE(parley->waitForWindow(QStringLiteral("Settings")).isEmpty());
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), aboutTitle));
    ASSERT_FALSE(parley->waitForWindow(aboutTitle).isEmpty());

    parley->run(QStringLiteral("close"), signInTitle);
    EXPECT_TRUE(endsWithStatusZero(*parley)) << parley->standardError().toStdString();
}

TEST_F(WindowsEndToEndTest, CtrlQQuitsFromTheSignInWindowWithSettingsOpen)
{
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Settings…")));
    ASSERT_FALSE(parley->waitForWindow(QStringLiteral("Settings")).isEmpty());

    parley->key(QStringLiteral("Settings"), QStringLiteral("Ctrl+Q"));
    ASSERT_TRUE(endsWithStatusZero(*parley));
    // Settings' QML goes before its view model, so its bindings stay quiet.
    EXPECT_FALSE(parley->standardError().contains("TypeError"));
}

} // namespace
