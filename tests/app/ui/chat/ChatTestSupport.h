#pragma once

#include "app/session/SessionTestSupport.h"
#include "platform/Diagnostics.h"
#include "support/ChatLine.h"
#include "twitch-sim/SimChatService.h"
#include "twitch/chat/TwitchChat.h"

#include <QSignalSpy>

#include <memory>

namespace parley::test {

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
