#pragma once

#include "app/shell/WindowEnvironment.h"
#include "app/shell/XUICoordinator.h"
#include "app/ui/ThemeModifier.h"

#include <memory>

namespace parley {

class HostingWindow;
class MentionNotifier;
class OverlayHost;
class SessionController;
class SessionViewController;
class ThemeSettings;

// The session window: the chat of the signed-in user's channel, titled
// "Parley - #" and the channel, its frame remembered as
// "<identifier>.SessionWindow". It can float above other windows, and turn
// into an overlay for a window capture to show over a game.
class SessionCoordinator : public XUICoordinator {
    Q_OBJECT

public:
    // Styled by the published theme of `themeSource`.
    SessionCoordinator(SessionController& sessionController, ThemeSettings& themeSource,
        const WindowEnvironment& environment, QObject* parent = nullptr);
    ~SessionCoordinator() override;

    void start() override;
    void stop() override;

    HostingWindow& window() { return *window_; }
    SessionController& sessionController() { return sessionController_; }
    SessionViewController& viewController() { return *viewController_; }

    // Always on Top.
    bool isFloating() const { return isFloating_; }
    void setFloating(bool isFloating);
    // Overlay mode: frameless, with a translucent background, above every
    // window, without the menu bar and the entry bar. The overlay, Settings
    // and Quit commands are in the window's context menu instead.
    bool isOverlay() const { return isOverlay_; }
    void setOverlay(bool isOverlay);
    // In overlay mode only: the mouse passes through the window to what is
    // below it.
    bool isClickThrough() const { return isClickThrough_; }
    void setClickThrough(bool isClickThrough);

private:
    Qt::WindowFlags windowFlags() const;
    void applyWindowFlags();

    SessionController& sessionController_;
    ThemeModifier themeModifier_;
    SessionViewController* viewController_ = nullptr;
    std::unique_ptr<HostingWindow> window_;
    // None where the environment has no desktop notifications.
    std::unique_ptr<MentionNotifier> mentionNotifier_;
    // Serves the chat to streaming software; none where the environment has no overlay settings.
    std::unique_ptr<OverlayHost> chatOverlayHost_;
    bool isFloating_ = false;
    bool isOverlay_ = false;
    bool isClickThrough_ = false;
};

} // namespace parley
