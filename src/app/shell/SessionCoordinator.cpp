#include "app/shell/SessionCoordinator.h"

#include "app/account/ThemeSettings.h"
#include "app/overlay/OverlayHost.h"
#include "app/session/SessionController.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/MentionNotifier.h"
#include "app/ui/chat/SessionViewController.h"
#include "platform/Observe.h"

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

bool SessionCoordinator::isFloating() const
{
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void SessionCoordinator::setFloating(bool isFloating)
{
    if (isFloating == this->isFloating())
        return;
    // Told to the window system on the native window as it is: a widget's
    // new flags hide it and make a new native window, and the dialogs over
    // the old one would no longer be kept above it.
    Qt::WindowFlags flags = window_->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, isFloating);
    window_->overrideWindowFlags(flags);
    if (QWindow* native = window_->windowHandle())
        native->setFlags(flags);
}

} // namespace parley
