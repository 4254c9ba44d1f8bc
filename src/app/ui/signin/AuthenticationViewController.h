#pragma once

#include "app/ui/signin/AuthenticationViewModel.h"

#include <QQuickWidget>

namespace parley {

class ApplicationController;

// The sign-in window's content: the sign-in screen, following the
// application controller's `isAuthenticating` for as long as both live.
class AuthenticationViewController : public QQuickWidget {
    Q_OBJECT

public:
    AuthenticationViewController(
        ApplicationController& appController, AuthenticationViewModel::OpenURL openURL, QWidget* parent = nullptr);

    AuthenticationViewModel& viewModel() { return *viewModel_; }

private:
    // A child, so it outlives the QML that binds to it (the widget deletes
    // its QML before its children).
    AuthenticationViewModel* viewModel_;
};

} // namespace parley
