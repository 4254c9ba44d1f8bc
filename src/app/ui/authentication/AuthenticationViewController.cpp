#include "app/ui/authentication/AuthenticationViewController.h"

#include "app/account/ApplicationController.h"
#include "platform/ErrorPresenter.h"
#include "platform/Observe.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickWidget>

// The screen's QML lives in this static library's resources.
static void initAuthenticationResources()
{
    Q_INIT_RESOURCE(authentication);
}

namespace parley {

void AuthenticationViewController::registerTypes()
{
    static const bool registered = [] {
        initAuthenticationResources();
        qmlRegisterUncreatableType<AuthenticationViewModel>(
            "Parley.Authentication", 1, 0, "AuthenticationViewModel", QStringLiteral("made in C++"));
        return true;
    }();
    Q_UNUSED(registered);
}

AuthenticationViewController::AuthenticationViewController(
    ApplicationController& appController, AuthenticationViewModel::OpenURL openURL, QWidget* parent)
    : QmlScreen(parent)
    , viewModel_(new AuthenticationViewModel(
          [controller = QPointer(&appController)] { return controller ? controller->startSignIn() : QUrl(); },
          appController.config().twitchWebDomain, appController.config().shortVersion, std::move(openURL), this))
{
    registerTypes();
    observe(&appController, &ApplicationController::isAuthenticating, &ApplicationController::isAuthenticatingChanged,
        this, [this](bool isAuthenticating) { viewModel_->setAuthenticating(isAuthenticating); });
    connect(&appController, &ApplicationController::signInFailed, this,
        [this](const std::exception_ptr& error) { viewModel_->showFailure(ErrorPresenter::userMessage(error)); });
    quickWidget()->setClearColor(AuthenticationViewModel::windowColor());
    load(QUrl(QStringLiteral("qrc:/parley/authentication/AuthenticationView.qml")),
        { { QStringLiteral("viewModel"), QVariant::fromValue(viewModel_) } });
    setMinimumSize(quickWidget()->initialSize());
    setAccessibleName(viewModel_->heading());
}

} // namespace parley
