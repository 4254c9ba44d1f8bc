#pragma once

#include "platform/Error.h"
#include "platform/PresentableError.h"

namespace parley {

// A failure of the chat client that is not the network's: a message that
// could not go out or that the service refused, or a refused login. The
// description is fit to show the user (a refusal's is the service's own text),
// and is also its user message.
class TwitchChatError : public Error, public PresentableError {
public:
    enum class Code {
        notConnected,
        sendingTooQuickly,
        messageRefused,
        messageNotConfirmed,
        loginRefused,
    };

    TwitchChatError(Code code, QString description) : Error(std::move(description)), code_(code) { }

    static TwitchChatError notConnected() { return { Code::notConnected, QStringLiteral("Not connected to chat.") }; }
    static TwitchChatError sendingTooQuickly()
    {
        return { Code::sendingTooQuickly, QStringLiteral("You are sending messages too quickly.") };
    }
    static TwitchChatError messageNotConfirmed()
    {
        return { Code::messageNotConfirmed, QStringLiteral("The chat service did not confirm the message.") };
    }

    Code code() const noexcept { return code_; }
    QString userMessage() const override { return description(); }

private:
    Code code_;
};

} // namespace parley
