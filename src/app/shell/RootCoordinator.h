#pragma once

#include "app/shell/WindowEnvironment.h"
#include "app/shell/XUICoordinator.h"
#include "platform/ErrorPresenter.h"

#include <QPointer>

#include <memory>
#include <vector>

namespace parley {

class ApplicationController;
class HostingWindow;
class PreferencesViewController;
class SessionCoordinator;

// Keeps exactly one main window in step with the account state: the sign-in
// window while signed out, the session window while signed in. Nothing is
// shown while a stored sign-in is being restored, so the sign-in window never
// flashes before a restored session. Shows the controller's errors as alerts
// and opens the Settings windows.
class RootCoordinator : public XUICoordinator, public ErrorPresenter {
    Q_OBJECT

public:
    RootCoordinator(ApplicationController& appController, WindowEnvironment environment, QObject* parent = nullptr);
    ~RootCoordinator() override;

    void start() override;
    void stop() override { }

    // The main window on screen; null before the state is known.
    HostingWindow* mainWindow() const;
    // The session window's coordinator while one is open.
    SessionCoordinator* sessionCoordinator() const;

    // Floats the session window, or puts it back among the others; returns
    // whether it floats now. Without a session window: false, nothing changes.
    bool toggleAlwaysOnTop();
    // Opens a new Settings window over the main window, starting from the
    // stored options. Escape closes it, as it does every dialog.
    PreferencesViewController& showPreferences();

    void presentErrorMessage(const QString& message) override;

signals:
    // A new main window was brought to the front.
    void mainWindowChanged();

private:
    void showState();

    // Settings windows stay when closed, as the user left them; a closed one
    // goes when the next one opens. Each belongs to the main window it is
    // over, and is handed on with the others when the main window changes.
    std::vector<QPointer<PreferencesViewController>> preferencesWindows_;

    ApplicationController& appController_;
    const WindowEnvironment environment_;
    bool started_ = false;
};

} // namespace parley
