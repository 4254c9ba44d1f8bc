#include "app/shell/SessionCoordinator.h"

#include "app/account/ApplicationController.h"
#include "app/session/SessionController.h"
#include "app/shell/HostingWindow.h"

#include <QLabel>

namespace parley {

namespace {

QWidget* makeSessionView(SessionController& session, ApplicationController&)
{
    auto* view = new QLabel(QStringLiteral("Chat of #%1").arg(session.chat()->channel()));
    view->setTextFormat(Qt::PlainText);
    view->setAlignment(Qt::AlignCenter);
    view->setAccessibleName(view->text());
    view->setMinimumSize(320, 480);
    return view;
}

} // namespace

SessionCoordinator::SessionCoordinator(SessionController& sessionController, ApplicationController& themeSource,
                                       const WindowEnvironment& environment, QObject* parent)
    : XUICoordinator(parent)
    , sessionController_(sessionController)
    , window_(std::make_unique<HostingWindow>(makeSessionView(sessionController, themeSource), environment.menu,
                                              environment.userDefaults,
                                              environment.bundleIdentifier + QStringLiteral(".SessionWindow")))
{
    window_->setWindowTitle(QStringLiteral("Parley - #") + sessionController.chat()->channel());
    window_->setAccessibleName(window_->windowTitle());
}

SessionCoordinator::~SessionCoordinator() = default;

void SessionCoordinator::start()
{
    window_->makeKeyAndOrderFront();
}

void SessionCoordinator::stop()
{
    window_->close();
}

bool SessionCoordinator::isFloating() const
{
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void SessionCoordinator::setFloating(bool isFloating)
{
    if (isFloating == this->isFloating())
        return;
    const bool wasVisible = window_->isVisible();
    // Changing a window's flags hides it; show it again where it was.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, isFloating);
    if (wasVisible)
        window_->show();
}

} // namespace parley
