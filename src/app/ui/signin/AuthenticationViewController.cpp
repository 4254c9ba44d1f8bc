#include "app/ui/signin/AuthenticationViewController.h"

#include "app/account/ApplicationController.h"
#include "platform/ErrorPresenter.h"
#include "platform/Observe.h"

#include <QPointer>
#include <QQmlContext>

// The screen's QML lives in this static library's resources.
static void initSigninResources()
{
    Q_INIT_RESOURCE(signin);
}

namespace parley {

AuthenticationViewController::AuthenticationViewController(
    ApplicationController& appController, AuthenticationViewModel::OpenURL openURL, QWidget* parent)
    : QQuickWidget(parent)
    , viewModel_(new AuthenticationViewModel(
          [controller = QPointer(&appController)] { return controller ? controller->startSignIn() : QUrl(); },
          appController.config().twitchWebDomain, appController.config().shortVersion, std::move(openURL), this))
{
    initSigninResources();
    observe(&appController, &ApplicationController::isAuthenticating, &ApplicationController::isAuthenticatingChanged,
        this, [this](bool isAuthenticating) { viewModel_->setAuthenticating(isAuthenticating); });
    connect(&appController, &ApplicationController::signInFailed, this,
        [this](const std::exception_ptr& error) { viewModel_->showFailure(ErrorPresenter::userMessage(error)); });
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    setClearColor(AuthenticationViewModel::windowColor());
    rootContext()->setContextProperty(QStringLiteral("viewModel"), viewModel_);
    setSource(QUrl(QStringLiteral("qrc:/parley/signin/AuthenticationView.qml")));
    setAccessibleName(viewModel_->heading());
}

} // namespace parley
