#include "twitch/chat/internal/ChatLineReading.h"

#include "twitch/chat/TwitchChatIRCEncoder.h"

namespace parley {

namespace {

// The word at `from` and the position after it and its space.
QStringView word(QStringView line, qsizetype& from)
{
    const qsizetype space = line.indexOf(u' ', from);
    const qsizetype end = space < 0 ? line.size() : space;
    const QStringView result = line.sliced(from, end - from);
    from = end + 1;
    return result;
}

} // namespace

qsizetype chatLineEnd(const QString& frame, qsizetype from)
{
    for (qsizetype end = from;; ++end) {
        end = frame.indexOf(u'\r', end);
        if (end < 0)
            return frame.size();
        if (end + 1 < frame.size() && frame.at(end + 1) == u'\n')
            return end;
    }
}

QStringView chatCommandWord(QStringView line)
{
    qsizetype from = 0;
    QStringView first = word(line, from);
    if (first.startsWith(u'@') && from < line.size())
        first = word(line, from);
    if (first.startsWith(u':') && from < line.size())
        first = word(line, from);
    return first;
}

QString chatPongFor(QStringView ping)
{
    QStringView text = ping.sliced(4).trimmed();
    if (text.startsWith(u':'))
        text = text.sliced(1);
    return TwitchChatIRCEncoder::pong(text);
}

bool isChatAddress(const QUrl& url)
{
    return url.isValid() && (url.scheme() == u"ws" || url.scheme() == u"wss");
}

bool isChatLoginRefusal(QStringView noticeText)
{
    return noticeText == u"Login authentication failed" || noticeText == u"Improperly formatted auth";
}

bool isChatMessageRefusal(QStringView noticeID)
{
    return noticeID.startsWith(u"msg_") || noticeID == u"unrecognized_cmd";
}

} // namespace parley
