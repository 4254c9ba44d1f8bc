#include "app/shell/AppDelegate.h"
#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/RootCoordinator.h"
#include "app/shell/SessionCoordinator.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/TwitchSimulator.h"

#include "support/FutureWait.h"
#include "support/PrivateKeyring.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace parley;
namespace demo = parley::sim::demo;

namespace {

constexpr int timeout = 20000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QList<QWidget*> visibleMainWindows()
{
    QList<QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && qobject_cast<HostingWindow*>(window))
            windows.append(window);
    return windows;
}

// A launch of Parley against the simulator, with its own keyring items,
// user defaults and redirect port.
class AppDelegateTest : public testing::Test {
protected:
    void SetUp() override
    {
        PARLEY_REQUIRE_PRIVATE_KEYRING();
        ASSERT_NE(simulator.start(), 0);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        config.bundleIdentifier = QStringLiteral("app.parley.shelltest.%1").arg(QString::fromUtf8(test->name()));
        config.shortVersion = QStringLiteral("1.0");
        config.twitchClientID = QString::fromLatin1(demo::clientID);
        config.twitchAuthRedirectURL = QUrl(QStringLiteral("http://localhost:%1").arg(freePort()));
        config.twitchIdentityURL = simulator.identityURL();
        config.twitchHelixURL = simulator.helixURL();
        config.twitchChatURL = simulator.chatURL();
        config.twitchCapabilityNamespace = QStringLiteral("twitch.tv");
        config.twitchWebDomain = QStringLiteral("twitch.tv");
        keychain = makeCredentialStore(config);
        userDefaults = std::make_shared<QSettings>(home.filePath(QStringLiteral("defaults.ini")), QSettings::IniFormat);
    }

    void TearDown() override
    {
        delegate.reset();
        if (keychain)
            keychain->clear();
    }

    void launch()
    {
        delegate = std::make_unique<AppDelegate>(
            config, AppDelegate::Services { keychain, userDefaults, *images, [this](const QUrl& url) {
                                               opened.append(url);
                                               return true;
                                           } });
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !delegate->appController()->isRestoring(); }, timeout));
    }

    QUrl signedInRedirect() const
    {
        QUrl redirect = config.twitchAuthRedirectURL;
        // The redirect carries back the state of the attempt the app has pending.
        const QString state =
            QUrlQuery(delegate->appController()->authorizationURL()).queryItemValue(QStringLiteral("state"));
        redirect.setFragment(QStringLiteral("access_token=%1&scope=chat%3Aread+chat%3Aedit&token_type=bearer&state=%2")
                                 .arg(QString::fromLatin1(demo::token), state));
        return redirect;
    }

    void signIn()
    {
        delegate->openURLs({ signedInRedirect(), QUrl(QStringLiteral("parley://ignored")) });
        ASSERT_TRUE(QTest::qWaitFor([this] { return delegate->appController()->state().isAuthenticated(); }, timeout));
    }

    QStringList storedItems() { return test::await(delegate->appController()->storedAccessTokenItems()); }

    MainMenu& menu() { return delegate->menu(); }

    sim::TwitchSimulator simulator;
    QTemporaryDir home;
    BundleConfig config;
    std::shared_ptr<CredentialStore> keychain;
    std::shared_ptr<QSettings> userDefaults;
    std::shared_ptr<ImagePipeline> images = ImagePipeline::create();
    QList<QUrl> opened;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, SignedOutLaunchShowsOnlyTheSignInWindowAndListensForTheRedirect)
{
    launch();
    const QList<QWidget*> windows = visibleMainWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows.first()->windowTitle(), QStringLiteral("Parley - Sign into Twitch"));
    EXPECT_EQ(menu().logoutMenuItem.text(), QStringLiteral("Logout"));
    EXPECT_FALSE(menu().logoutMenuItem.isEnabled());
    EXPECT_TRUE(delegate->isListeningForRedirect());

    // Without a session window the toggle changes no window and stores false.
    userDefaults->setValue(AppDelegate::stayOnTopKey, true);
    menu().alwaysOnTopMenuItem.trigger();
    EXPECT_FALSE(menu().alwaysOnTopMenuItem.isChecked());
    EXPECT_FALSE(userDefaults->value(AppDelegate::stayOnTopKey).toBool());
    EXPECT_FALSE(windows.first()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(AppDelegateTest, RedirectSignsInToTheSessionWindowAndLogoutReturnsToSignIn)
{
    launch();
    signIn();
    QList<QWidget*> windows = visibleMainWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows.first()->windowTitle(), QStringLiteral("Parley - #parley_demo"));
    EXPECT_EQ(menu().logoutMenuItem.text(), QStringLiteral("Logout parley_demo..."));
    EXPECT_TRUE(menu().logoutMenuItem.isEnabled());
    EXPECT_FALSE(delegate->isListeningForRedirect());
    EXPECT_EQ(storedItems().size(), 2);

    menu().logoutMenuItem.trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !delegate->appController()->state().isAuthenticated(); }, timeout));
    windows = visibleMainWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows.first()->windowTitle(), QStringLiteral("Parley - Sign into Twitch"));
    EXPECT_FALSE(menu().logoutMenuItem.isEnabled());
    EXPECT_TRUE(storedItems().isEmpty());
    EXPECT_TRUE(delegate->isListeningForRedirect());
}

TEST_F(AppDelegateTest, StayOnTopIsRestoredOneSecondAfterSignInAndTogglesOff)
{
    userDefaults->setValue(AppDelegate::stayOnTopKey, true);
    launch();
    signIn();
    SessionCoordinator* session = delegate->rootCoordinator()->sessionCoordinator();
    ASSERT_NE(session, nullptr);
    EXPECT_FALSE(session->isFloating());
    QTest::qWait(AppDelegate::stayOnTopRestoreDelayMs / 2);
    EXPECT_FALSE(session->isFloating());
    ASSERT_TRUE(QTest::qWaitFor([session] { return session->isFloating(); }, 2 * AppDelegate::stayOnTopRestoreDelayMs));
    EXPECT_TRUE(session->window().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(session->window().isVisible());
    EXPECT_TRUE(menu().alwaysOnTopMenuItem.isChecked());
    EXPECT_TRUE(userDefaults->value(AppDelegate::stayOnTopKey).toBool());

    menu().alwaysOnTopMenuItem.trigger();
    EXPECT_FALSE(session->isFloating());
    EXPECT_FALSE(menu().alwaysOnTopMenuItem.isChecked());
    EXPECT_FALSE(userDefaults->value(AppDelegate::stayOnTopKey).toBool());
}

TEST_F(AppDelegateTest, RestoredSignInOpensTheSessionWindowWithoutShowingSignInFirst)
{
    launch();
    signIn();
    ASSERT_EQ(storedItems().size(), 2);
    delegate.reset();

    delegate = std::make_unique<AppDelegate>(
        config, AppDelegate::Services { keychain, userDefaults, *images, [](const QUrl&) { return true; } });
    delegate->applicationDidFinishLaunching();
    QSignalSpy windowsShown(delegate->rootCoordinator(), &RootCoordinator::mainWindowChanged);
    EXPECT_TRUE(visibleMainWindows().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !delegate->appController()->isRestoring(); }, timeout));
    EXPECT_EQ(windowsShown.size(), 1);
    const QList<QWidget*> windows = visibleMainWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows.first()->windowTitle(), QStringLiteral("Parley - #parley_demo"));
}

TEST_F(AppDelegateTest, ControllerErrorsBecomeAnAlertWithOkay)
{
    launch();
    emit delegate->appController()->errors(std::make_exception_ptr(std::runtime_error("boom")));
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&alert] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                    alert = box;
            return alert != nullptr;
        },
        timeout));
    EXPECT_EQ(alert->text(), QStringLiteral("An unexpected error happened."));
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().first()->text(), QStringLiteral("Okay"));
    alert->buttons().first()->click();
    EXPECT_TRUE(QTest::qWaitFor([&alert] { return !alert || !alert->isVisible(); }, timeout));
}

TEST_F(AppDelegateTest, WindowFramesAreRememberedPerAutosaveName)
{
    MainMenu sharedMenu;
    {
        HostingWindow window(new QWidget, sharedMenu, *userDefaults, QStringLiteral("test.Window"));
        window.makeKeyAndOrderFront();
        window.setGeometry(120, 140, 333, 222);
    }
    HostingWindow window(new QWidget, sharedMenu, *userDefaults, QStringLiteral("test.Window"));
    HostingWindow other(new QWidget, sharedMenu, *userDefaults, QStringLiteral("test.Other"));
    window.makeKeyAndOrderFront();
    other.makeKeyAndOrderFront();
    EXPECT_EQ(window.geometry(), QRect(120, 140, 333, 222));
    EXPECT_NE(other.geometry(), QRect(120, 140, 333, 222));
}

} // namespace
