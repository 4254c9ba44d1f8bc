#include "app/ui/signin/AuthenticationViewController.h"

#include "app/account/ApplicationController.h"
#include "platform/Observe.h"

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
    , viewModel_(appController.authorizationURL(), appController.config().twitchWebDomain,
          appController.config().shortVersion, std::move(openURL))
{
    initSigninResources();
    observe(&appController, &ApplicationController::isAuthenticating, &ApplicationController::isAuthenticatingChanged,
        this, [this](bool isAuthenticating) { viewModel_.setAuthenticating(isAuthenticating); });
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    setClearColor(AuthenticationViewModel::windowColor());
    rootContext()->setContextProperty(QStringLiteral("viewModel"), &viewModel_);
    setSource(QUrl(QStringLiteral("qrc:/parley/signin/AuthenticationView.qml")));
    setAccessibleName(viewModel_.heading());
}

} // namespace parley
