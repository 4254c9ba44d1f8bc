#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

namespace parley {

// Reading the chat service's raw lines before they are parsed: where a frame's
// lines end, a line's command, and the few texts the client acts on.

// The position of the next CR LF at or after `from`, or the frame's size.
qsizetype chatLineEnd(const QString& frame, qsizetype from);
// The command word of a line, past its tags and source.
QStringView chatCommandWord(QStringView line);
// The answer to a PING line, carrying the PING's text.
QString chatPongFor(QStringView ping);
bool isChatAddress(const QUrl& url);
bool isChatLoginRefusal(QStringView noticeText);
// The NOTICE ids with which the service refuses the user's message.
bool isChatMessageRefusal(QStringView noticeID);

} // namespace parley
