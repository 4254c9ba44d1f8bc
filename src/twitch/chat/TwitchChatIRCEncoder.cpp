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

QString TwitchChatIRCEncoder::privateMessage(QStringView channel, QStringView text)
{
    return concat({ u"PRIVMSG #", channel, u" :", chatText(text) });
}

QString TwitchChatIRCEncoder::chatText(QStringView text)
{
    QString line = text.toString();
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line;
}

} // namespace parley
