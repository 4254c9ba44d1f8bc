#pragma once

#include <QString>
#include <QStringView>

namespace parley {

// The lines the chat client sends, the counterpart of TwitchChatIRCMessage's
// parser. Each result is the text of one WebSocket frame, without CR LF.
class TwitchChatIRCEncoder {
public:
    // "CAP REQ :<ns>/commands <ns>/tags".
    static QString capabilityRequest(QStringView capabilityNamespace);
    // "PASS oauth:<token>".
    static QString pass(QStringView token);
    // "NICK <login>".
    static QString nick(QStringView login);
    // "JOIN #<channel>".
    static QString join(QStringView channel);
    // "PONG :<text>", the answer to the service's keep-alive "PING :<text>".
    static QString pong(QStringView text);
    // "PRIVMSG #<channel> :<text>", the text as chatText() makes it; with a
    // reply parent, led by the client tag "@reply-parent-msg-id=<id> " (the
    // id escaped as a tag value).
    static QString privateMessage(QStringView channel, QStringView text, QStringView replyParentMessageID = {});

    // A client tag's value, escaped as IRCv3 asks (";", space, "\\", CR, LF).
    static QString tagValue(QStringView value);

    // The text as it can go on the wire: a line break would end the line
    // early and make the rest a command of its own, so CR and LF become
    // spaces (as the service's web chat shows them).
    static QString chatText(QStringView text);
};

} // namespace parley
