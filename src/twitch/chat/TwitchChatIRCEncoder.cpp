#include "twitch/chat/TwitchChatIRCEncoder.h"

#include <initializer_list>

namespace parley {

namespace {

QString concat(std::initializer_list<QStringView> parts)
{
    qsizetype size = 0;
    for (QStringView part : parts)
        size += part.size();
    QString line;
    line.reserve(size);
    for (QStringView part : parts)
        line += part;
    return line;
}

} // namespace

QString TwitchChatIRCEncoder::capabilityRequest(QStringView capabilityNamespace)
{
    return concat({ u"CAP REQ :", capabilityNamespace, u"/commands ", capabilityNamespace, u"/tags" });
}

QString TwitchChatIRCEncoder::pass(QStringView token)
{
    return concat({ u"PASS oauth:", token });
}

QString TwitchChatIRCEncoder::nick(QStringView login)
{
    return concat({ u"NICK ", login });
}

QString TwitchChatIRCEncoder::join(QStringView channel)
{
    return concat({ u"JOIN #", channel });
}

QString TwitchChatIRCEncoder::pong(QStringView text)
{
    return QStringLiteral("PONG :") + text.toString();
}

QString TwitchChatIRCEncoder::privateMessage(QStringView channel, QStringView text, QStringView replyParentMessageID)
{
    const QString line = concat({ u"PRIVMSG #", channel, u" :", chatText(text) });
    if (replyParentMessageID.isEmpty())
        return line;
    return concat({ u"@reply-parent-msg-id=", tagValue(replyParentMessageID), u" ", line });
}

// The id comes from the wire: escaped, it cannot end the tag or the line.
QString TwitchChatIRCEncoder::tagValue(QStringView value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u';':
            escaped += QLatin1String("\\:");
            break;
        case u' ':
            escaped += QLatin1String("\\s");
            break;
        case u'\\':
            escaped += QLatin1String("\\\\");
            break;
        case u'\r':
            escaped += QLatin1String("\\r");
            break;
        case u'\n':
            escaped += QLatin1String("\\n");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString TwitchChatIRCEncoder::chatText(QStringView text)
{
    QString line = text.toString();
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line;
}

} // namespace parley
