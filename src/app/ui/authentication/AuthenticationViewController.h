#pragma once

#include "app/ui/QmlScreen.h"
#include "app/ui/authentication/AuthenticationViewModel.h"

namespace parley {

class ApplicationController;

// The sign-in window's content: the sign-in screen, following the
// application controller's `isAuthenticating` for as long as both live. It
// takes at least the size its QML asks for.
class AuthenticationViewController : public QmlScreen {
    Q_OBJECT

public:
    AuthenticationViewController(
        ApplicationController& appController, AuthenticationViewModel::OpenURL openURL, QWidget* parent = nullptr);

    AuthenticationViewModel& viewModel() { return *viewModel_; }

    // The screen's QML and the types it imports; safe to call repeatedly.
    static void registerTypes();

private:
    // A child made after the QML's widget, so it outlives the QML that binds to it.
    AuthenticationViewModel* viewModel_;
};

} // namespace parley
