#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QSettings;

namespace parley {

class DesktopNotifications;
class MainMenu;
class OverlaySettings;

// What every window of the shell is made with: the shared menu, the user
// defaults that remember window frames, the bundle identifier that prefixes
// their autosave names, the way to open an address in the browser, and the
// desktop's notifications (none where Parley does not notify).
struct WindowEnvironment {
    MainMenu& menu;
    QSettings& userDefaults;
    QString bundleIdentifier;
    std::function<bool(const QUrl&)> openURL;
    DesktopNotifications* notifications = nullptr;
    // The chat overlay's settings: a session serves the overlay while they
    // have it on. None where there is no overlay.
    OverlaySettings* chatOverlaySettings = nullptr;
};

} // namespace parley
