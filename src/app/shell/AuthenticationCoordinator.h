#pragma once

#include "app/shell/WindowEnvironment.h"
#include "app/shell/XUICoordinator.h"

#include <memory>

namespace parley {

class ApplicationController;
class AuthenticationViewController;
class HostingWindow;

// The sign-in window: a fixed-size window titled "Parley - Sign into Twitch"
// holding the sign-in screen, its frame remembered as "<identifier>.AuthWindow".
class AuthenticationCoordinator : public XUICoordinator {
    Q_OBJECT

public:
    AuthenticationCoordinator(
        ApplicationController& appController, const WindowEnvironment& environment, QObject* parent = nullptr);
    ~AuthenticationCoordinator() override;

    void start() override;
    void stop() override;

    HostingWindow& window() { return *window_; }
    AuthenticationViewController& viewController() { return *viewController_; }

private:
    AuthenticationViewController* viewController_;
    std::unique_ptr<HostingWindow> window_;
};

} // namespace parley
