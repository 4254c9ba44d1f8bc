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
// "<identifier>.SessionWindow". It can float above other windows.
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

    bool isFloating() const;
    void setFloating(bool isFloating);

private:
    SessionController& sessionController_;
    ThemeModifier themeModifier_;
    SessionViewController* viewController_ = nullptr;
    std::unique_ptr<HostingWindow> window_;
    // None where the environment has no desktop notifications.
    std::unique_ptr<MentionNotifier> mentionNotifier_;
    // Serves the chat to streaming software; none where the environment has no overlay settings.
    std::unique_ptr<OverlayHost> chatOverlayHost_;
};

} // namespace parley
