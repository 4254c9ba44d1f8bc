#include "app/shell/AppDelegate.h"

#include "app/account/ApplicationController.h"
#include "app/session/SessionController.h"
#include "app/shell/AboutBox.h"
#include "app/shell/Alert.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/LoopbackRedirectListener.h"
#include "app/shell/RootCoordinator.h"
#include "app/shell/SessionCoordinator.h"
#include "platform/Diagnostics.h"
#include "platform/Observe.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

namespace parley {

AppDelegate::AppDelegate(BundleConfig config, Services services, QObject* parent)
    : QObject(parent)
    , config_(std::move(config))
    , services_(std::move(services))
    , updateController_(config_.updateFeedURL, config_.shortVersion, network_)
{
    connect(&updateController_, &Updater::checkFinished, this, &AppDelegate::showUpdateResult);
    updateController_.startUpdater();
}

AppDelegate::~AppDelegate()
{
    // Windows go before the controller whose sessions they show.
    rootCoordinator_.reset();
}

void AppDelegate::applicationDidFinishLaunching()
{
    connect(&menu_.logoutMenuItem, &QAction::triggered, this, &AppDelegate::logout);
    connect(&menu_.alwaysOnTopMenuItem, &QAction::triggered, this, &AppDelegate::alwaysOnTopChosen);
    menu_.overlayModeMenuItem.setChecked(services_.userDefaults->value(overlayModeKey).toBool());
    connect(&menu_.overlayModeMenuItem, &QAction::triggered, this, &AppDelegate::overlayModeChosen);
    connect(&menu_.clickThroughMenuItem, &QAction::triggered, this, &AppDelegate::applyOverlayMode);
    connect(&menu_.preferencesMenuItem, &QAction::triggered, this, &AppDelegate::showPreferences);
    connect(&menu_.checkUpdatesMenuItem, &QAction::triggered, &updateController_, &Updater::checkForUpdates);
    connect(&menu_.aboutMenuItem, &QAction::triggered, this, &AppDelegate::showAbout);
    connect(&menu_.copyOverlayAddressMenuItem, &QAction::triggered, this, &AppDelegate::copyOverlayAddress);
    connect(&chatOverlaySettings_, &OverlaySettings::servedChanged, this, [this] {
        menu_.copyOverlayAddressMenuItem.setEnabled(!chatOverlaySettings_.servedAddress().isEmpty());
    });
    // Qt's quit closes every window first, as closing the last main window
    // does, and the program ends with status 0.
    connect(&menu_.quitMenuItem, &QAction::triggered, this, &QCoreApplication::quit);
    if (!updateController_.hasFeed())
        menu_.checkUpdatesMenuItem.setStatusTip(
            UpdateCheckResult { UpdateCheckResult::Outcome::notConfigured, {}, {}, {} }.message());

    ImageLoading& pipeline = services_.imagePipeline;
    appController_ = std::make_unique<ApplicationController>(config_,
        TwitchAPI(config_.twitchEndpoints(), config_.twitchClientID, config_.twitchAuthRedirectURL), services_.keychain,
        services_.userDefaults,
        [&pipeline, community = config_.communityEmoteServices(), recent = config_.recentMessagesService()](
            const TwitchAPI& twitch, const TwitchUserAccessToken& accessToken) {
            return std::shared_ptr<SessionController>(
                new SessionController(twitch, accessToken, nullptr, pipeline, community, recent),
                [](QObject* session) { session->deleteLater(); });
        });
    observe(appController_.get(), &ApplicationController::state, &ApplicationController::stateChanged, this,
        [this](const ApplicationState&) { stateChanged(); });
    connect(
        appController_.get(), &ApplicationController::isRestoringChanged, this, &AppDelegate::updateRedirectListener);

    rootCoordinator_ = std::make_unique<RootCoordinator>(*appController_,
        WindowEnvironment {
            menu_, *services_.userDefaults, config_.bundleIdentifier, services_.openURL, &notifications_,
            &chatOverlaySettings_ });
    connect(rootCoordinator_.get(), &RootCoordinator::mainWindowChanged, this, &AppDelegate::showPendingUpdateResult);
    connect(rootCoordinator_.get(), &RootCoordinator::mainWindowChanged, this, &AppDelegate::applyOverlayMode);
    rootCoordinator_->start();
}

void AppDelegate::copyOverlayAddress()
{
    if (!chatOverlaySettings_.servedAddress().isEmpty())
        QGuiApplication::clipboard()->setText(chatOverlaySettings_.servedAddress());
}

void AppDelegate::openURLs(const QList<QUrl>& urls)
{
    if (!urls.isEmpty() && appController_)
        appController_->handleRedirect(urls.first());
}

bool AppDelegate::continueUserActivity(const QUrl& webPageURL)
{
    if (!webPageURL.isValid() || !appController_)
        return false;
    appController_->handleRedirect(webPageURL);
    return true;
}

void AppDelegate::logout()
{
    appController_->logout();
}

void AppDelegate::alwaysOnTopChosen()
{
    toggleAlwaysOnTop();
    if (menu_.alwaysOnTopMenuItem.isChecked())
        xwaylandRestartOffer_.alwaysOnTopTurnedOn();
}

void AppDelegate::toggleAlwaysOnTop()
{
    const bool isOnTop = rootCoordinator_->toggleAlwaysOnTop();
    menu_.alwaysOnTopMenuItem.setChecked(isOnTop);
    services_.userDefaults->setValue(stayOnTopKey, isOnTop);
}

void AppDelegate::showPreferences()
{
    rootCoordinator_->showPreferences();
}

void AppDelegate::showAbout()
{
    if (!aboutBox_)
        aboutBox_ = AboutBox::show(mainWindow(), config_.shortVersion, services_.openURL);
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

QWidget* AppDelegate::mainWindow() const
{
    return rootCoordinator_ ? rootCoordinator_->mainWindow() : nullptr;
}

void AppDelegate::stateChanged()
{
    const ApplicationState& state = appController_->state();
    if (SessionController* session = state.session()) {
        menu_.showLogin(session->accessToken().info.login);
        QTimer::singleShot(stayOnTopRestoreDelay, this, &AppDelegate::restoreStayOnTop);
    } else {
        menu_.showLogin(std::nullopt);
    }
    updateRedirectListener();
}

void AppDelegate::restoreStayOnTop()
{
    // Only onto a session window that does not float yet: a second sign-in
    // within the delay, or a logout, must not turn the preference off.
    const SessionCoordinator* session = rootCoordinator_ ? rootCoordinator_->sessionCoordinator() : nullptr;
    if (services_.userDefaults->value(stayOnTopKey).toBool() && session && !session->isFloating())
        toggleAlwaysOnTop();
}

void AppDelegate::overlayModeChosen()
{
    services_.userDefaults->setValue(overlayModeKey, menu_.overlayModeMenuItem.isChecked());
    applyOverlayMode();
    if (menu_.overlayModeMenuItem.isChecked())
        xwaylandRestartOffer_.alwaysOnTopTurnedOn();
}

void AppDelegate::applyOverlayMode()
{
    const bool isOverlay = menu_.overlayModeMenuItem.isChecked();
    // A window the mouse passes through is only offered where the tray can turn it back.
    const bool canClickThrough = isOverlay && QSystemTrayIcon::isSystemTrayAvailable();
    if (!canClickThrough)
        menu_.clickThroughMenuItem.setChecked(false);
    menu_.clickThroughMenuItem.setEnabled(canClickThrough);
    showTrayIcon(canClickThrough);
    if (SessionCoordinator* session = rootCoordinator_->sessionCoordinator()) {
        session->setOverlay(isOverlay);
        session->setClickThrough(menu_.clickThroughMenuItem.isChecked());
    }
}

void AppDelegate::showTrayIcon(bool isShown)
{
    if (!isShown) {
        trayIcon_.reset();
        return;
    }
    if (trayIcon_)
        return;
    trayMenu_ = std::make_unique<QMenu>();
    trayMenu_->addActions({ &menu_.overlayModeMenuItem, &menu_.clickThroughMenuItem });
    trayMenu_->addSeparator();
    trayMenu_->addActions({ &menu_.preferencesMenuItem, &menu_.quitMenuItem });
    trayIcon_ = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
    trayIcon_->setToolTip(QStringLiteral("Parley"));
    trayIcon_->setContextMenu(trayMenu_.get());
    trayIcon_->show();
}

void AppDelegate::updateRedirectListener()
{
    const bool isPending = !appController_->isRestoring() && !appController_->state().isAuthenticated();
    if (!isPending) {
        redirectListener_.reset();
        return;
    }
    if (redirectListener_ || !LoopbackRedirectListener::canServe(config_.twitchAuthRedirectURL))
        return;
    redirectListener_ = std::make_unique<LoopbackRedirectListener>(config_.twitchAuthRedirectURL);
    if (!redirectListener_->start()) {
        Diagnostics::warn(
            QStringLiteral("parley: cannot listen on 127.0.0.1:%1 for the sign-in redirect; is another program using it?")
                .arg(config_.twitchAuthRedirectURL.port()));
        redirectListener_.reset();
        return;
    }
    connect(
        redirectListener_.get(), &LoopbackRedirectListener::redirectReceived, this, &AppDelegate::continueUserActivity);
}

void AppDelegate::showUpdateResult(const UpdateCheckResult& result, bool userInitiated)
{
    if (!result.isShown(userInitiated))
        return;
    // The check at launch may end while a stored sign-in is still being
    // restored: the alert waits for the main window, to stay above it.
    if (!mainWindow()) {
        pendingUpdateResult_ = result;
        return;
    }
    std::vector<Alert::Button> buttons;
    if (result.release && result.release->pageURL.isValid())
        buttons.push_back({ QStringLiteral("View Release"),
            [open = services_.openURL, page = result.release->pageURL] { open(page); } });
    Alert::show(mainWindow(), result.message(), result.details(), std::move(buttons));
}

void AppDelegate::showPendingUpdateResult()
{
    if (std::optional<UpdateCheckResult> result = std::exchange(pendingUpdateResult_, std::nullopt))
        showUpdateResult(*result, true);
}

} // namespace parley
