#pragma once

#include "app/account/BundleConfig.h"
#include "app/overlay/OverlaySettings.h"
#include "app/shell/DesktopNotifications.h"
#include "app/shell/MainMenu.h"
#include "app/shell/install/XWaylandRestartOffer.h"
#include "app/shell/updates/Updater.h"

#include <QMenu>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QSystemTrayIcon>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace parley {

class ApplicationController;
class CredentialStore;
class ImageLoading;
class LoopbackRedirectListener;
class RootCoordinator;

// The application's delegate: made at launch from the bundle's
// configuration, it owns the application controller, the root coordinator,
// the menu commands and the updater for the life of the process, and routes
// the browser's redirects to the controller.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    // What launch takes from the process: the credential store of the
    // bundle, the per-user defaults, the image pipeline the sessions load
    // emotes through, and the way to open an address in the browser.
    struct Services {
        std::shared_ptr<CredentialStore> keychain;
        std::shared_ptr<QSettings> userDefaults;
        ImageLoading& imagePipeline;
        std::function<bool(const QUrl&)> openURL;
    };

    static inline const QString stayOnTopKey = QStringLiteral("stayOnTop");
    static inline const QString overlayModeKey = QStringLiteral("overlayMode");
    static constexpr std::chrono::milliseconds stayOnTopRestoreDelay = std::chrono::seconds(1);

    AppDelegate(BundleConfig config, Services services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Launch setup: wires the menu, creates the application controller
    // (which restores a stored sign-in) and starts the root coordinator.
    void applicationDidFinishLaunching();

    // URLs the system opened in Parley: the first one is the redirect.
    void openURLs(const QList<QUrl>& urls);
    // The browser came back to the redirect address (the loopback page).
    bool continueUserActivity(const QUrl& webPageURL);

    MainMenu& menu() { return menu_; }
    Updater& updateController() { return updateController_; }
    ApplicationController* appController() const { return appController_.get(); }
    RootCoordinator* rootCoordinator() const { return rootCoordinator_.get(); }
    // Listening only while the sign-in window waits for a redirect.
    bool isListeningForRedirect() const { return redirectListener_ != nullptr; }
    // The About box while it is open.
    QMessageBox* aboutBox() const { return aboutBox_; }

private:
    void logout();
    void alwaysOnTopChosen();
    void toggleAlwaysOnTop();
    void showPreferences();
    void showAbout();
    QWidget* mainWindow() const;
    void stateChanged();
    void restoreStayOnTop();
    void overlayModeChosen();
    void applyOverlayMode();
    void showTrayIcon(bool isShown);
    void updateRedirectListener();
    void showUpdateResult(const UpdateCheckResult& result, bool userInitiated);
    void showPendingUpdateResult();
    void copyOverlayAddress();

    const BundleConfig config_;
    Services services_;
    QNetworkAccessManager network_;
    MainMenu menu_;
    Updater updateController_;
    DesktopNotifications notifications_ { QDBusConnection::sessionBus(), config_.bundleIdentifier };
    OverlaySettings chatOverlaySettings_ { services_.userDefaults };
    XWaylandRestartOffer xwaylandRestartOffer_ = XWaylandRestartOffer::forThisProcess([this] { return mainWindow(); });
    std::unique_ptr<ApplicationController> appController_;
    std::unique_ptr<RootCoordinator> rootCoordinator_;
    std::unique_ptr<LoopbackRedirectListener> redirectListener_;
    QPointer<QMessageBox> aboutBox_;
    // While the chat window is an overlay, where the desktop has a tray: the
    // way back from click-through.
    std::unique_ptr<QMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    std::optional<UpdateCheckResult> pendingUpdateResult_;
};

} // namespace parley
