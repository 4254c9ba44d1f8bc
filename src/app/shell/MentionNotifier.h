#pragma once

#include "app/ui/chat/TextMessageViewModel.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QObject>

#include <chrono>
#include <functional>

namespace parley {

class DesktopNotifications;
class HostingWindow;
class TwitchChat;
class TwitchChatMessage;

// Tells the broadcaster of mentions and replies while the chat window is not
// the active one (minimised, hidden, behind the game): a desktop notification
// with the sender's name and the text. Only messages that arrive live count;
// a first message counts only when it mentions them. At most one notification per
// mergeInterval: mentions within it replace it with "N new mentions". Clicking
// it brings the window forward; the window becoming active closes it. Main
// thread only.
class MentionNotifier : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds defaultMergeInterval = std::chrono::seconds(10);
    // The longest body a notification carries, in characters.
    static constexpr qsizetype maxBodyLength = 200;

    // `chat`, `window` and `notifications` must outlive the notifier.
    // Mentions are of `broadcaster`, whose own messages never notify.
    MentionNotifier(TwitchChat& chat, HostingWindow& window, DesktopNotifications& notifications,
        const TwitchUserAccessToken::Info& broadcaster, QObject* parent = nullptr);

    // The Settings switch; on by default.
    void setEnabled(bool isEnabled) { isEnabled_ = isEnabled; }
    void setMergeInterval(std::chrono::milliseconds interval) { mergeInterval_ = interval; }
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // `text` as a notification's plain body: at most maxBodyLength
    // characters, cut short with "…", a character never split.
    static QString plainBody(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void messageAppended(const TwitchChatMessage& message);
    bool notifies(const TwitchChatTextMessage& message) const;
    bool isWindowInFront() const;
    void bringWindowForward();

    HostingWindow& window_;
    DesktopNotifications& notifications_;
    const TextMessageViewModel::HighlightRules rules_;
    bool isEnabled_ = true;
    std::chrono::milliseconds mergeInterval_ = defaultMergeInterval;
    Clock clock_ = [] { return std::chrono::steady_clock::now(); };
    // The mentions told since the notification on screen was first shown.
    int count_ = 0;
    std::chrono::steady_clock::time_point shownAt_;
};

} // namespace parley
