#include "app/ui/settings/PreviewMessages.h"

#include <chrono>

namespace parley {

namespace {

TwitchChatMessage previewMessage(const QString& id, const QString& displayName, const QString& body,
    std::optional<TwitchColor> color = std::nullopt, bool isBroadcaster = false)
{
    static const Instant builtAt = std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
    TwitchChatTextMessage::Fields message;
    message.id = id;
    message.displayName = displayName;
    message.body = body;
    message.color = color;
    message.isBroadcaster = isBroadcaster;
    // Rows draw the broadcaster's mark from the badges, as the service sends them.
    if (isBroadcaster)
        message.badges.insert(TwitchBadge::broadcaster, 1);
    message.sentAt = builtAt;
    return TwitchChatTextMessage(message);
}

} // namespace

const QList<TwitchChatMessage>& previewMessages()
{
    static const QList<TwitchChatMessage> messages {
        previewMessage(QStringLiteral("preview-1"), QStringLiteral("RedUser"),
            QStringLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
                           "incididunt ut labore et dolore magna aliqua."),
            TwitchColor::fromString(u"#ff0000")),
        previewMessage(QStringLiteral("preview-2"), QStringLiteral("BroadcasterUser"),
            QStringLiteral("Broadcaster message sample"), std::nullopt, true),
        previewMessage(QStringLiteral("preview-3"), QStringLiteral("BroadcasterUser"),
            QStringLiteral("Thanks for stopping by, everyone!"), std::nullopt, true),
        previewMessage(QStringLiteral("preview-4"), QStringLiteral("PreviewUser"), QStringLiteral("Hello there.")),
        previewMessage(QStringLiteral("preview-5"), QStringLiteral("PreviewUser"),
            QStringLiteral("Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris.")),
        previewMessage(QStringLiteral("preview-6"), QStringLiteral("PreviewUser"),
            QStringLiteral("Duis aute irure dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat "
                           "nulla pariatur. Excepteur sint occaecat cupidatat non proident, sunt in culpa qui "
                           "officia deserunt mollit anim id est laborum. Sed ut perspiciatis unde omnis iste natus "
                           "error sit voluptatem accusantium doloremque laudantium.")),
    };
    return messages;
}

} // namespace parley
