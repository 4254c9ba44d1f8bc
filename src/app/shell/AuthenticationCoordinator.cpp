#include "app/shell/AuthenticationCoordinator.h"

#include "app/shell/HostingWindow.h"
#include "app/ui/authentication/AuthenticationViewController.h"

namespace parley {

AuthenticationCoordinator::AuthenticationCoordinator(
    ApplicationController& appController, const WindowEnvironment& environment, QObject* parent)
    : XUICoordinator(parent)
    , viewController_(new AuthenticationViewController(appController, environment.openURL))
    , window_(std::make_unique<HostingWindow>(viewController_, environment.menu, environment.userDefaults,
          environment.bundleIdentifier + QStringLiteral(".AuthWindow")))
{
    window_->setWindowTitle(QStringLiteral("Parley - Sign into Twitch"));
    window_->setAccessibleName(window_->windowTitle());
    // Titled and closable only: neither minimised nor resized.
    window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, AuthenticationViewModel::windowColor());
    window_->setPalette(palette);
    window_->setFixedSize(window_->sizeHint());
}

AuthenticationCoordinator::~AuthenticationCoordinator() = default;

void AuthenticationCoordinator::start()
{
    window_->makeKeyAndOrderFront();
}

void AuthenticationCoordinator::stop()
{
    window_->close();
}

} // namespace parley
