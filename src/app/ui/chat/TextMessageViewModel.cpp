#include "app/ui/chat/TextMessageViewModel.h"

#include <QDateTime>

namespace parley {

QString TextMessageViewModel::roleTooltip(const TwitchChatTextMessage& message)
{
    if (message.isBroadcaster())
        return QStringLiteral("Broadcaster");
    if (message.isModerator())
        return QStringLiteral("Moderator");
    if (message.isSubscriber())
        return QStringLiteral("Subscriber");
    return {};
}

QString TextMessageViewModel::shortTime(Instant sentAt, const QLocale& locale)
{
    const qint64 milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(sentAt.time_since_epoch()).count();
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::LocalTime);
    return locale.toString(local.time(), QLocale::ShortFormat);
}

QColor TextMessageViewModel::nameColor(const TwitchChatTextMessage& message)
{
    const std::optional<TwitchColor> color = message.color();
    if (!color)
        return {};
    return QColor::fromRgbF(float(color->red), float(color->green), float(color->blue));
}

QString TextMessageViewModel::replyTo(const TwitchChatTextMessage& message)
{
    const std::optional<TwitchChatMessageReply> reply = message.reply();
    if (!reply)
        return {};
    return reply->parentMessageDisplayName.value_or(reply->parentMessageLogin);
}

QString TextMessageViewModel::replyLine(const TwitchChatTextMessage& message)
{
    const std::optional<TwitchChatMessageReply> reply = message.reply();
    if (!reply)
        return {};
    return QStringLiteral("Replying to %1: ").arg(replyTo(message)) + reply->parentMessageBody;
}

TextMessageViewModel::BodyStyle TextMessageViewModel::bodyStyle(
    const TwitchChatTextMessage& message, const QColor& textColor)
{
    if (message.isDeleted())
        return { textColor, true, 0.6 };
    if (!message.isAction())
        return { textColor, false, 1.0 };
    const QColor color = nameColor(message);
    return { color.isValid() ? color : textColor, true, 1.0 };
}

TextWithEmotes TextMessageViewModel::body(const TwitchChatTextMessage& message)
{
    if (message.isDeleted())
        return TextWithEmotes(QStringLiteral("<message deleted>"), {}, {});
    return TextWithEmotes(message.body(), message.emotes(), message.emoteSets());
}

QString TextMessageViewModel::accessibleName(const TwitchChatTextMessage& message)
{
    QString name = message.displayName();
    const QString parent = replyTo(message);
    if (!parent.isEmpty())
        name += QStringLiteral(" (reply to %1)").arg(parent);
    if (message.isDeleted())
        return name + QStringLiteral(": message deleted");
    return name + (message.isAction() ? QStringLiteral(" ") : QStringLiteral(": ")) + message.body();
}

} // namespace parley
