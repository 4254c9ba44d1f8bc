#include "app/shell/SessionCoordinator.h"

#include "app/account/ThemeSettings.h"
#include "app/overlay/OverlayHost.h"
#include "app/session/SessionController.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/MainMenu.h"
#include "app/shell/MentionNotifier.h"
#include "app/ui/chat/SessionViewController.h"
#include "platform/Observe.h"

#include <QMenuBar>
#include <QQuickWidget>
#include <QWindow>

namespace parley {

namespace {

// The emote switches of Settings govern the session shown.
void applyEmoteSwitches(SessionController& session, const Theme& theme)
{
    session.emoteImageLoader()->setAnimating(theme.animateEmotes);
    CommunityEmoteCatalogue* community = session.communityEmotes();
    if (!community)
        return;
    community->setProviderEnabled(CommunityEmoteProvider::SevenTV, theme.showSevenTVEmotes);
    community->setProviderEnabled(CommunityEmoteProvider::BetterTTV, theme.showBetterTTVEmotes);
    community->setProviderEnabled(CommunityEmoteProvider::FrankerFaceZ, theme.showFrankerFaceZEmotes);
}

} // namespace

SessionCoordinator::SessionCoordinator(SessionController& sessionController, ThemeSettings& themeSource,
    const WindowEnvironment& environment, QObject* parent)
    : XUICoordinator(parent), sessionController_(sessionController)
{
    // The view starts with the current theme, then follows it.
    themeModifier_.follow(&themeSource, &ThemeSettings::theme, &ThemeSettings::themeChanged);
    observe(&themeSource, &ThemeSettings::theme, &ThemeSettings::themeChanged, this,
        [&sessionController](const Theme& theme) {
            applyEmoteSwitches(sessionController, theme);
            sessionController.setLoadsRecentMessages(theme.loadRecentMessages);
        });
    viewController_ = new SessionViewController(sessionController, themeModifier_);
    window_ = std::make_unique<HostingWindow>(viewController_, environment.menu, environment.userDefaults,
        environment.bundleIdentifier + QStringLiteral(".SessionWindow"));
    window_->setWindowTitle(QStringLiteral("Parley - #") + sessionController.chat()->channel());
    window_->setAccessibleName(window_->windowTitle());
    // Until the user gives it a frame of their own: a narrow chat column.
    window_->resize(380, 600);
    window_->addActions({ &environment.menu.overlayModeMenuItem, &environment.menu.clickThroughMenuItem,
        &environment.menu.preferencesMenuItem, &environment.menu.quitMenuItem });
    if (environment.notifications) {
        mentionNotifier_ = std::make_unique<MentionNotifier>(
            *sessionController.chat(), *window_, *environment.notifications, sessionController.accessToken().info);
        observe(&themeSource, &ThemeSettings::theme, &ThemeSettings::themeChanged, mentionNotifier_.get(),
            [notifier = mentionNotifier_.get()](const Theme& theme) { notifier->setEnabled(theme.notifyMentions); });
    }
    if (environment.chatOverlaySettings)
        chatOverlayHost_ = std::make_unique<OverlayHost>(*environment.chatOverlaySettings, sessionController);
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

void SessionCoordinator::setFloating(bool isFloating)
{
    isFloating_ = isFloating;
    applyWindowFlags();
}

void SessionCoordinator::setOverlay(bool isOverlay)
{
    if (isOverlay == isOverlay_)
        return;
    isOverlay_ = isOverlay;
    isClickThrough_ = isClickThrough_ && isOverlay;
    viewController_->viewModel().setOverlayMode(isOverlay);
    viewController_->quickWidget()->setClearColor(isOverlay ? QColor(Qt::transparent) : QColor(Qt::white));
    window_->menuBar()->setVisible(!isOverlay);
    window_->setContextMenuPolicy(isOverlay ? Qt::ActionsContextMenu : Qt::DefaultContextMenu);
    window_->setAttribute(Qt::WA_TranslucentBackground, isOverlay);
    window_->setAttribute(Qt::WA_NoSystemBackground, isOverlay);
    window_->overrideWindowFlags(windowFlags());
    // The alpha channel is chosen when the native window is made.
    window_->remakeNativeWindow();
}

void SessionCoordinator::setClickThrough(bool isClickThrough)
{
    isClickThrough_ = isClickThrough && isOverlay_;
    applyWindowFlags();
}

Qt::WindowFlags SessionCoordinator::windowFlags() const
{
    Qt::WindowFlags flags = window_->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, isFloating_ || isOverlay_);
    flags.setFlag(Qt::FramelessWindowHint, isOverlay_);
    flags.setFlag(Qt::WindowTransparentForInput, isClickThrough_);
    return flags;
}

void SessionCoordinator::applyWindowFlags()
{
    const Qt::WindowFlags flags = windowFlags();
    if (flags == window_->windowFlags())
        return;
    // Told to the window system on the native window as it is: a widget's
    // new flags hide it and make a new native window, and the dialogs over
    // the old one would no longer be kept above it.
    window_->overrideWindowFlags(flags);
    if (QWindow* native = window_->windowHandle())
        native->setFlags(flags);
}

} // namespace parley
