#include "app/shell/AppDelegate.h"
#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "app/shell/AboutBox.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/RootCoordinator.h"
#include "app/shell/SessionCoordinator.h"
#include "app/ui/chat/SessionViewController.h"
#include "app/ui/settings/PreferencesViewController.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/TwitchSimulator.h"

#include "support/FutureWait.h"
#include "support/PrivateKeyring.h"

#include <QAccessible>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
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

// The message box on screen, once there is one.
QMessageBox* waitForMessageBox()
{
    QMessageBox* shown = nullptr;
    QTest::qWaitFor(
        [&shown] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                    shown = box;
            return shown != nullptr;
        },
        timeout);
    return shown;
}

// Whether `dialog` is a dialog of `mainWindow`: kept above it by the window
// system (its transient parent) and not keeping Parley running on its own.
bool isDialogOf(QWidget* dialog, QWidget* mainWindow)
{
    return dialog->parentWidget() == mainWindow && dialog->windowHandle() &&
        dialog->windowHandle()->transientParent() == mainWindow->windowHandle();
}

// The names of the commands that `window`'s menu bar exposes to assistive
// technologies, as a screen reader walks it: bar, menu, item.
QStringList accessibleMenuItems(QMainWindow* window)
{
    QStringList names;
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(window->menuWidget());
    for (int index = 0; index < bar->childCount(); ++index) {
        QAccessibleInterface* menu = bar->child(index)->child(0);
        for (int item = 0; item < menu->childCount(); ++item)
            if (QAccessibleInterface* command = menu->child(item);
                command->isValid() && command->role() == QAccessible::MenuItem)
                names.append(command->text(QAccessible::Name));
    }
    return names;
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
        config.betterTTVAPIURL = simulator.betterTTVAPIURL();
        config.betterTTVCDNURL = simulator.betterTTVCDNURL();
        config.frankerFaceZAPIURL = simulator.frankerFaceZAPIURL();
        config.sevenTVAPIURL = simulator.sevenTVAPIURL();
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

    QStringList storedItems() { return test::await(delegate->appController()->accessTokenStorage().storedItems()); }

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

    // Logout runs from the chat window's own menu: the window closes at once
    // but is deleted only back in the event loop, after the menu's code.
    QPointer<QWidget> chatWindow = windows.first();
    menu().logoutMenuItem.trigger();
    EXPECT_TRUE(chatWindow);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !delegate->appController()->state().isAuthenticated(); }, timeout));
    EXPECT_TRUE(QTest::qWaitFor([&chatWindow] { return !chatWindow; }, timeout));
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
    QTest::qWait(int(AppDelegate::stayOnTopRestoreDelay.count()) / 2);
    EXPECT_FALSE(session->isFloating());
    ASSERT_TRUE(QTest::qWaitFor([session] { return session->isFloating(); },
        2 * int(AppDelegate::stayOnTopRestoreDelay.count())));
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

TEST_F(AppDelegateTest, QuitAndAboutAreInTheMenuAndTheAboutBoxTellsTheVersionAndAddress)
{
    launch();
    EXPECT_TRUE(menu().items().contains(&menu().quitMenuItem));
    EXPECT_TRUE(menu().items().contains(&menu().aboutMenuItem));
    EXPECT_EQ(menu().quitMenuItem.text(), QStringLiteral("Quit Parley"));
    EXPECT_EQ(menu().quitMenuItem.shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    // Ctrl+Q quits from Settings and dialogs too, not only from the main window.
    EXPECT_EQ(menu().quitMenuItem.shortcutContext(), Qt::ApplicationShortcut);
    EXPECT_TRUE(menu().quitMenuItem.isEnabled());
    EXPECT_TRUE(menu().aboutMenuItem.isEnabled());

    QWidget* signInWindow = visibleMainWindows().value(0);
    ASSERT_TRUE(signInWindow);
    menu().aboutMenuItem.trigger();
    QPointer<QMessageBox> about = delegate->aboutBox();
    ASSERT_TRUE(about && about->isVisible());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Parley"));
    EXPECT_TRUE(about->text().contains(config.shortVersion));
    EXPECT_TRUE(about->informativeText().contains(QStringLiteral("https://parley.app/")));
    EXPECT_TRUE(isDialogOf(about, signInWindow));
    // Modeless: the main window can still be closed, which ends Parley.
    EXPECT_EQ(about->windowModality(), Qt::NonModal);
    menu().aboutMenuItem.trigger();
    EXPECT_EQ(delegate->aboutBox(), about);

    for (QAbstractButton* button : about->buttons())
        if (button->text() == QStringLiteral("Visit Website"))
            button->click();
    EXPECT_EQ(opened, QList<QUrl> { AboutBox::projectAddress });
    EXPECT_TRUE(QTest::qWaitFor([&about] { return !about; }, timeout));

    menu().aboutMenuItem.trigger();
    about = delegate->aboutBox();
    ASSERT_TRUE(about);
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&about] { return !about; }, timeout));
}

TEST_F(AppDelegateTest, SettingsIsADialogOfTheMainWindowClosedByEscapeAndFollowsItToTheSessionWindow)
{
    launch();
    QWidget* signInWindow = visibleMainWindows().value(0);
    ASSERT_TRUE(signInWindow);
    PreferencesViewController* settings = &delegate->rootCoordinator()->showPreferences();
    EXPECT_TRUE(isDialogOf(settings, signInWindow));
    // Active itself, not only as a dialog of the active main window.
    ASSERT_TRUE(QTest::qWaitFor([settings] { return QApplication::activeWindow() == settings; }, timeout));
    QTest::keyClick(settings, Qt::Key_Escape);
    EXPECT_FALSE(settings->isVisible());

    // Open while the main window changes: still open, over the session window.
    QPointer<PreferencesViewController> open = &delegate->rootCoordinator()->showPreferences();
    signIn();
    QWidget* session = visibleMainWindows().value(0);
    ASSERT_TRUE(session);
    ASSERT_TRUE(open);
    EXPECT_TRUE(open->isVisible());
    EXPECT_TRUE(isDialogOf(open, session));

    // Floating keeps the chat window's native window, the one the window
    // system keeps Settings above.
    const WId native = session->winId();
    menu().alwaysOnTopMenuItem.trigger();
    EXPECT_TRUE(session->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(session->winId(), native);
    EXPECT_TRUE(session->isVisible());
    EXPECT_TRUE(isDialogOf(open, session));
}

TEST_F(AppDelegateTest, OverlayModeMakesTheChatWindowAnOverlayUntilTurnedOffAndIsRemembered)
{
    launch();
    signIn();
    SessionCoordinator* session = delegate->rootCoordinator()->sessionCoordinator();
    ASSERT_NE(session, nullptr);
    HostingWindow& window = session->window();
    const SessionViewModel& viewModel = session->viewController().viewModel();
    QObject* entryBar = session->viewController().rootObject()->findChild<QObject*>(QStringLiteral("entryBar"));
    ASSERT_TRUE(entryBar);
    QPointer<PreferencesViewController> settings = &delegate->rootCoordinator()->showPreferences();
    const auto isOverlay = [&] {
        const Qt::WindowFlags flags = window.windowHandle()->flags();
        return flags.testFlag(Qt::FramelessWindowHint) && flags.testFlag(Qt::WindowStaysOnTopHint) &&
            window.testAttribute(Qt::WA_TranslucentBackground) && window.windowHandle()->requestedFormat().hasAlpha() &&
            !window.menuBar()->isVisible() && viewModel.overlayMode() && !entryBar->property("visible").toBool();
    };

    menu().overlayModeMenuItem.trigger();
    EXPECT_TRUE(isOverlay());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(isDialogOf(settings, &window));
    EXPECT_DOUBLE_EQ(viewModel.backgroundOpacity(), 0.6);
    EXPECT_TRUE(userDefaults->value(AppDelegate::overlayModeKey).toBool());
    // No tray here to turn click-through off again: it is not offered.
    EXPECT_FALSE(menu().clickThroughMenuItem.isEnabled());
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowTransparentForInput));
    session->setClickThrough(true);
    EXPECT_TRUE(window.windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));

    menu().overlayModeMenuItem.trigger();
    const Qt::WindowFlags flags = window.windowHandle()->flags();
    EXPECT_FALSE(flags & (Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput));
    EXPECT_FALSE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window.menuBar()->isVisible());
    EXPECT_TRUE(entryBar->property("visible").toBool());
    EXPECT_DOUBLE_EQ(viewModel.backgroundOpacity(), 1.0);
    EXPECT_FALSE(userDefaults->value(AppDelegate::overlayModeKey).toBool());

    // Remembered: the next launch's chat window opens as an overlay.
    menu().overlayModeMenuItem.trigger();
    delegate.reset();
    delegate = std::make_unique<AppDelegate>(
        config, AppDelegate::Services { keychain, userDefaults, *images, [](const QUrl&) { return true; } });
    delegate->applicationDidFinishLaunching();
    ASSERT_TRUE(QTest::qWaitFor([this] { return delegate->rootCoordinator()->sessionCoordinator(); }, timeout));
    EXPECT_TRUE(menu().overlayModeMenuItem.isChecked());
    EXPECT_TRUE(delegate->rootCoordinator()->sessionCoordinator()->isOverlay());
}

TEST_F(AppDelegateTest, UpdateAlertIsADialogOfTheMainWindowClosedByEscapeOrItsCloseButton)
{
    simulator.putFile(QStringLiteral("/feed.xml"),
        sim::SimResource { R"(<rss version="2.0"><channel><item><title>Parley 2.0</title>
<link>https://parley.example/2.0</link><version>2.0</version></item></channel></rss>)",
            "application/rss+xml" });
    config.updateFeedURL = simulator.baseURL().resolved(QUrl(QStringLiteral("/feed.xml")));
    launch();
    QMessageBox* alert = waitForMessageBox();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("A new version of Parley is available."));
    EXPECT_EQ(alert->buttons().size(), 2);
    EXPECT_TRUE(isDialogOf(alert, visibleMainWindows().value(0)));
    QPointer<QMessageBox> guard = alert;
    QTest::keyClick(alert, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&guard] { return !guard; }, timeout));
    EXPECT_TRUE(opened.isEmpty());

    menu().checkUpdatesMenuItem.trigger();
    guard = waitForMessageBox();
    ASSERT_TRUE(guard);
    EXPECT_TRUE(guard->close());
    EXPECT_TRUE(QTest::qWaitFor([&guard] { return !guard; }, timeout));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(AppDelegateTest, MenuItemsReachAssistiveTechnologiesInTheWindowOfASignInMadeWhileRunning)
{
    launch();
    const QStringList commands { QStringLiteral("Check for Updates…"), QStringLiteral("Settings…"),
        QStringLiteral("Always on Top"), QStringLiteral("Overlay Mode"), QStringLiteral("Click-through"),
        QStringLiteral("Copy Overlay Address"), QStringLiteral("Logout"), QStringLiteral("Quit Parley"),
        QStringLiteral("About Parley") };
    auto* signInWindow = qobject_cast<QMainWindow*>(visibleMainWindows().value(0));
    ASSERT_TRUE(signInWindow);
    EXPECT_EQ(accessibleMenuItems(signInWindow), commands);

    signIn();
    auto* session = qobject_cast<QMainWindow*>(visibleMainWindows().value(0));
    ASSERT_TRUE(session);
    ASSERT_TRUE(QTest::qWaitFor([&] { return accessibleMenuItems(session).size() == commands.size(); }, timeout));
    QStringList expected = commands;
    expected[6] = QStringLiteral("Logout parley_demo...");
    EXPECT_EQ(accessibleMenuItems(session), expected);
}

} // namespace
