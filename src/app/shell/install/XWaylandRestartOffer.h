#pragma once

#include "app/shell/install/ModalAlert.h"

#include <functional>

class QWidget;

namespace parley {

// Most Wayland compositors keep no window above the others on an
// application's request; under XWayland, Always on Top works. The first time
// the user turns it on under Wayland, Parley says so and offers to restart on
// XWayland.
class XWaylandRestartOffer {
public:
    using ShowAlert = std::function<int(const ModalAlert&)>;
    // Starts Parley again on XWayland once this process has ended, and ends
    // this one; false when the new process could not be started.
    using Restart = std::function<bool()>;

    XWaylandRestartOffer(QString platformName, bool hasXWayland, ShowAlert showAlert, Restart restart);

    // Qt's platform, X display and message box (over the window `mainWindow`
    // answers when it is shown); the restart relaunches the bundle with
    // QT_QPA_PLATFORM=xcb.
    static XWaylandRestartOffer forThisProcess(std::function<QWidget*()> mainWindow);

    // Call when the user turns Always on Top on. True when Parley is
    // restarting.
    bool alwaysOnTopTurnedOn();

private:
    ModalAlert alert() const;

    QString platformName_;
    bool hasXWayland_;
    ShowAlert showAlert_;
    Restart restart_;
    bool told_ = false;
};

} // namespace parley
