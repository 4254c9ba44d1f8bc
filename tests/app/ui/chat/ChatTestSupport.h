#pragma once

#include "app/session/SessionTestSupport.h"
#include "platform/Diagnostics.h"
#include "twitch-sim/SimChatService.h"
#include "twitch/chat/TwitchChat.h"

#include <QSignalSpy>

#include <memory>

namespace parley::test {

// A chat line as the service sends it, from a sender with a name colour.
struct ChatLine {
    QString id;
    QString text;
    QString displayName = QStringLiteral("Viewer");
    QString badges;
    QString color = QStringLiteral("#1E90FF");
    QString emotes;
    bool moderator = false;
    bool subscriber = false;
    QString extraTags;

    QString toString() const
    {
        return QStringLiteral("@badges=%1;color=%2;display-name=%3;emotes=%4;id=%5;mod=%6;room-id=%7;"
                              "subscriber=%8;tmi-sent-ts=1700000000000;turbo=0;user-id=7;user-type=%9")
                   .arg(badges, color, displayName, emotes, id, QString::number(int(moderator)),
                       QString::fromLatin1(sim::demo::userID), QString::number(int(subscriber)), extraTags) +
            QStringLiteral(" :viewer!viewer@viewer.tmi.twitch.tv PRIVMSG #%1 :%2")
                .arg(QString::fromLatin1(sim::demo::login), text);
    }
};

// A chat client joined to the demo channel of a simulator, and a way to push
// scripted lines to it and wait until it has read them.
class JoinedChat {
public:
    JoinedChat() : chat(twitch.endpoints(), SimulatedTwitch::token())
    {
        QSignalSpy roomChanged(&chat, &TwitchChat::roomChanged);
        connection = chat.connect();
        joined = roomChanged.wait(waitMs);
    }

    // Sends `lines` in one frame and waits until the client has logged the last.
    bool deliver(const QStringList& lines)
    {
        twitch.sim.chat().sendText(lines.join(QStringLiteral("\r\n")));
        const QString last = QStringLiteral("TwitchChat.msgReceived: ") + lines.constLast();
        return QTest::qWaitFor([&] { return log.lines().contains(last); }, waitMs);
    }
    bool deliver(const ChatLine& line) { return deliver(QStringList { line.toString() }); }

    DiagnosticsCapture log;
    SimulatedTwitch twitch;
    TwitchChat chat;
    std::unique_ptr<TwitchChatConnection> connection;
    bool joined = false;
};

} // namespace parley::test
