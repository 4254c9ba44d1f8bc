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

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// `name` in `text` as a whole word, in any case.
bool containsWord(const QString& text, const QString& name)
{
    for (qsizetype at = text.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(name, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + name.size();
        if ((at == 0 || !isWordCharacter(text.at(at - 1))) && (end == text.size() || !isWordCharacter(text.at(end))))
            return true;
    }
    return false;
}

} // namespace

TextMessageViewModel::Highlight TextMessageViewModel::highlight(
    const TwitchChatTextMessage& message, const HighlightRules& rules)
{
    // One's own messages carry no user id; the broadcaster's others carry theirs.
    const QString sender = message.userID();
    if (sender.isEmpty() || sender == rules.userID || message.isBroadcaster() || message.isHistorical())
        return Highlight::none;
    if (rules.mentions) {
        const std::optional<TwitchChatMessageReply> reply = message.reply();
        if ((reply && !rules.userID.isEmpty() && reply->parentMessageUserID == rules.userID) ||
            (!rules.login.isEmpty() && containsWord(message.body(), rules.login)))
            return Highlight::mention;
    }
    return rules.firstMessages && message.isFirstMessage() ? Highlight::firstMessage : Highlight::none;
}

QString TextMessageViewModel::historyPrefix(bool isHistorical)
{
    return isHistorical ? QStringLiteral("Earlier: ") : QString();
}

QString TextMessageViewModel::highlightPrefix(Highlight highlight)
{
    switch (highlight) {
    case Highlight::mention:
        return QStringLiteral("Mention. ");
    case Highlight::firstMessage:
        return QStringLiteral("First message. ");
    case Highlight::none:
        break;
    }
    return {};
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
