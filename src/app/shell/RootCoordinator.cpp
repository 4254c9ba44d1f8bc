#include "app/shell/RootCoordinator.h"

#include "app/account/ApplicationController.h"
#include "app/overlay/OverlayPreferencesViewModel.h"
#include "app/shell/Alert.h"
#include "app/shell/AuthenticationCoordinator.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/SessionCoordinator.h"
#include "app/ui/settings/PreferencesViewController.h"

#include <QShortcut>

namespace parley {

RootCoordinator::RootCoordinator(ApplicationController& appController, WindowEnvironment environment, QObject* parent)
    : XUICoordinator(parent), appController_(appController), environment_(std::move(environment))
{ }

RootCoordinator::~RootCoordinator() = default;

void RootCoordinator::start()
{
    if (started_)
        return;
    started_ = true;
    connect(&appController_, &ApplicationController::stateChanged, this, &RootCoordinator::showState);
    connect(&appController_, &ApplicationController::isRestoringChanged, this, &RootCoordinator::showState);
    connect(&appController_, &ApplicationController::errors, this,
        [this](const std::exception_ptr& error) { presentError(error); });
    showState();
}

HostingWindow* RootCoordinator::mainWindow() const
{
    if (children.empty())
        return nullptr;
    if (auto* session = qobject_cast<SessionCoordinator*>(children.front().get()))
        return &session->window();
    if (auto* signIn = qobject_cast<AuthenticationCoordinator*>(children.front().get()))
        return &signIn->window();
    return nullptr;
}

SessionCoordinator* RootCoordinator::sessionCoordinator() const
{
    return children.empty() ? nullptr : qobject_cast<SessionCoordinator*>(children.front().get());
}

bool RootCoordinator::toggleAlwaysOnTop()
{
    SessionCoordinator* session = sessionCoordinator();
    if (!session)
        return false;
    session->setFloating(!session->isFloating());
    return session->isFloating();
}

PreferencesViewController& RootCoordinator::showPreferences()
{
    for (const QPointer<PreferencesViewController>& window : preferencesWindows_)
        if (window && !window->isVisible())
            window->deleteLater();
    std::erase_if(preferencesWindows_, [](const auto& window) { return !window || !window->isVisible(); });
    auto* overlay = environment_.chatOverlaySettings
        ? new OverlayPreferencesViewModel(*environment_.chatOverlaySettings)
        : nullptr;
    auto* window = new PreferencesViewController(appController_.themeSettings(), overlay, mainWindow());
    // A dialog of the main window: above it, even while it floats.
    window->setWindowFlags(Qt::Dialog);
    window->setWindowTitle(QStringLiteral("Settings"));
    new QShortcut(QKeySequence::Cancel, window, window, &QWidget::close);
    window->show();
    window->raise();
    window->activateWindow();
    preferencesWindows_.push_back(window);
    return *window;
}

void RootCoordinator::presentErrorMessage(const QString& message)
{
    Alert::show(mainWindow(), message);
}

void RootCoordinator::showState()
{
    // The state is not known until the stored sign-in has been read.
    if (appController_.isRestoring())
        return;
    const ApplicationState& state = appController_.state();
    std::unique_ptr<XUICoordinator> next;
    if (SessionController* session = state.session())
        next = std::make_unique<SessionCoordinator>(*session, appController_.themeSettings(), environment_);
    else
        next = std::make_unique<AuthenticationCoordinator>(appController_, environment_);
    // The new window comes up before the old one closes, so the application
    // never has no window (which would end it); the dialogs over the old one
    // move over it before the old one goes.
    HostingWindow* previousWindow = mainWindow();
    next->start();
    std::vector<std::unique_ptr<XUICoordinator>> previous = std::exchange(children, {});
    children.push_back(std::move(next));
    if (previousWindow)
        previousWindow->handDialogsTo(*mainWindow());
    // The old window goes once control is back in the event loop: the change
    // may come from its own menu (Logout), whose code still runs on return.
    for (std::unique_ptr<XUICoordinator>& child : previous) {
        child->stop();
        child.release()->deleteLater();
    }
    emit mainWindowChanged();
}

} // namespace parley
