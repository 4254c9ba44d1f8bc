#include "twitch-sim/SimRecentMessages.h"

#include <QDateTime>
#include <QJsonArray>
#include <QRegularExpression>
#include <QUrlQuery>

namespace parley::sim {

namespace {

const QString prefix = QStringLiteral("/recent-messages/api/v2/recent-messages/");

bool isChatLine(const QString& line, const QString& channel)
{
    static const QRegularExpression command(QStringLiteral(" (PRIVMSG|USERNOTICE|CLEARCHAT|CLEARMSG) #(\\w+)"));
    const QRegularExpressionMatch match = command.match(line);
    return match.hasMatch() && match.captured(2) == channel;
}

// The service puts its tags among the line's own.
QString withServiceTags(const QString& line, qint64 receivedAt, bool deleted = false)
{
    const QString tags = QStringLiteral("historical=1;%1rm-received-ts=%2")
                             .arg(deleted ? QStringLiteral("rm-deleted=1;") : QString())
                             .arg(receivedAt);
    return line.startsWith(u'@') ? u'@' + tags + u';' + line.sliced(1) : u'@' + tags + u' ' + line;
}

HttpReply answer(
    const QStringList& messages, const QString& error = {}, const QString& errorCode = {}, int status = 200)
{
    const auto orNull = [](const QString& text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); };
    return HttpReply::json(
        { { QStringLiteral("messages"), QJsonArray::fromStringList(messages) },
            { QStringLiteral("error"), orNull(error) }, { QStringLiteral("error_code"), orNull(errorCode) } },
        status);
}

} // namespace

bool SimRecentMessages::handles(const QString& path)
{
    return path.startsWith(prefix);
}

HttpReply SimRecentMessages::failure(int status)
{
    if (status == 403)
        return answer(
            {}, QStringLiteral("The channel has opted out of being logged"), QStringLiteral("channel_ignored"), status);
    if (status == 400)
        return answer({}, QStringLiteral("Invalid channel login"), QStringLiteral("invalid_channel_login"), status);
    return answer({}, QStringLiteral("Internal server error"), QStringLiteral("internal_server_error"), status);
}

void SimRecentMessages::joined(const QString& channel, const QString& roomID)
{
    Channel& kept = channels_[channel];
    if (kept.joinedAt == 0)
        kept = Channel { roomID, QDateTime::currentMSecsSinceEpoch(), {} };
}

void SimRecentMessages::remember(const QString& channel, const QString& frame)
{
    const auto kept = channels_.find(channel);
    if (kept == channels_.end())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const QString& line : frame.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        if (isChatLine(line, channel))
            kept->lines.append({ line, now });
    if (kept->lines.size() > capacity)
        kept->lines.remove(0, kept->lines.size() - capacity);
}

HttpReply SimRecentMessages::route(const SimRequest& request) const
{
    static const QRegularExpression login(QStringLiteral("^[a-z0-9_]{1,25}$"));
    const QString channel = request.path.sliced(prefix.size());
    if (!login.match(channel).hasMatch())
        return failure(400);
    const auto kept = channels_.constFind(channel);
    if (kept == channels_.cend())
        return answer({},
            QStringLiteral("The bot is currently not joined to this channel (in progress or failed "
                           "previously)"),
            QStringLiteral("channel_not_joined"));
    bool ok = false;
    const qsizetype limit = QUrlQuery(request.query).queryItemValue(QStringLiteral("limit")).toLongLong(&ok);
    const qsizetype count = std::min(ok && limit > 0 ? limit - 1 : capacity, kept->lines.size());
    QStringList messages { deletedLine(channel, *kept) };
    for (const Line& line : kept->lines.sliced(kept->lines.size() - count))
        messages.append(withServiceTags(line.text, line.receivedAt));
    return answer(messages);
}

// A spammer's line a moderator removed a minute before Parley first joined.
QString SimRecentMessages::deletedLine(const QString& login, const Channel& channel) const
{
    const qint64 sentAt = channel.joinedAt - 60'000;
    const QString line = QStringLiteral("@badge-info=;badges=;color=#8A2BE2;display-name=FreeFollows;emotes=;"
                                        "id=5e1f2d9c-0000-4000-8000-%1;mod=0;room-id=%2;subscriber=0;"
                                        "tmi-sent-ts=%3;turbo=0;user-id=4040404;user-type= "
                                        ":freefollows!freefollows@freefollows.tmi.twitch.tv PRIVMSG #%4 "
                                        ":cheap followers at example dot com")
                             .arg(channel.roomID.rightJustified(12, u'0').right(12), channel.roomID)
                             .arg(sentAt)
                             .arg(login);
    return withServiceTags(line, sentAt, true);
}

} // namespace parley::sim
