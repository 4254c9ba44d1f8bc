#include "app/shell/MentionNotifier.h"

#include "app/shell/DesktopNotifications.h"
#include "app/shell/HostingWindow.h"
#include "twitch/chat/TwitchChat.h"

#include <QEvent>

namespace parley {

MentionNotifier::MentionNotifier(TwitchChat& chat, HostingWindow& window, DesktopNotifications& notifications,
    const TwitchUserAccessToken::Info& broadcaster, QObject* parent)
    : QObject(parent)
    , window_(window)
    , notifications_(notifications)
    // Mentions notify whether or not their rows are tinted: the switches are apart.
    , rules_ { broadcaster.login, broadcaster.userID, true, false }
{
    // Only what arrives live is appended; the history shown at the start is not.
    connect(&chat, &TwitchChat::messageAppended, this, &MentionNotifier::messageAppended);
    connect(&notifications, &DesktopNotifications::activated, this, &MentionNotifier::bringWindowForward);
    window.installEventFilter(this);
}

QString MentionNotifier::plainBody(const QString& text)
{
    if (text.size() <= maxBodyLength)
        return text;
    qsizetype cut = maxBodyLength - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

bool MentionNotifier::eventFilter(QObject* watched, QEvent* event)
{
    // The broadcaster sees the chat again: what the notification said is on screen.
    if (event->type() == QEvent::WindowActivate && count_ > 0) {
        count_ = 0;
        notifications_.closeLast();
    }
    return QObject::eventFilter(watched, event);
}

void MentionNotifier::messageAppended(const TwitchChatMessage& message)
{
    const TwitchChatTextMessage* text = message.text();
    if (!text || !notifies(*text))
        return;
    const std::chrono::steady_clock::time_point now = clock_();
    if (count_ > 0 && now - shownAt_ < mergeInterval_) {
        ++count_;
        notifications_.show({ QStringLiteral("%1 new mentions").arg(count_),
                                plainBody(text->displayName() + QStringLiteral(": ") + text->body()) },
            true);
        return;
    }
    count_ = 1;
    shownAt_ = now;
    notifications_.show({ text->displayName(), plainBody(text->body()) }, false);
}

bool MentionNotifier::notifies(const TwitchChatTextMessage& message) const
{
    return isEnabled_ && !isWindowInFront() &&
        TextMessageViewModel::highlight(message, rules_) == TextMessageViewModel::Highlight::mention;
}

bool MentionNotifier::isWindowInFront() const
{
    return window_.isVisible() && !window_.isMinimized() && window_.isActiveWindow();
}

void MentionNotifier::bringWindowForward()
{
    window_.makeKeyAndOrderFront();
}

} // namespace parley
