#include "app/ui/chat/TextMessageViewModel.h"

#include "twitch/chat/TwitchChatBadge.h"

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

QList<TextMessageViewModel::Badge> TextMessageViewModel::badges(
    const TwitchChatTextMessage& message, const BadgeCatalogue* catalogue)
{
    QList<Badge> shown;
    for (const TwitchChatBadge& badge : TwitchChatBadge::listFromTags(message.badgeTag(), message.badgeInfo())) {
        const auto known = catalogue ? catalogue->find(badge.setID, badge.version) : std::nullopt;
        const bool isBroadcaster = badge.setID == QLatin1String("broadcaster");
        if (!known && !isBroadcaster)
            continue;
        QString title = known ? known->title : QStringLiteral("Broadcaster");
        if (const std::optional<int> months = badge.months())
            title += QStringLiteral(" (%1 months)").arg(*months);
        const QString setVersion = badge.setID + u'/' + badge.version;
        shown.append({ QStringLiteral("badge:") + setVersion, setVersion, title, known ? known->imageURL2x : QUrl(),
            isBroadcaster });
    }
    return shown;
}

QString TextMessageViewModel::accessibleName(const TwitchChatTextMessage& message, const QList<Badge>& badges)
{
    QString name;
    for (const Badge& badge : badges)
        name += badge.title + QStringLiteral(", ");
    name += message.displayName();
    const QString parent = replyTo(message);
    if (!parent.isEmpty())
        name += QStringLiteral(" (reply to %1)").arg(parent);
    if (message.isDeleted())
        return name + QStringLiteral(": message deleted");
    return name + (message.isAction() ? QStringLiteral(" ") : QStringLiteral(": ")) + message.body();
}

} // namespace parley
