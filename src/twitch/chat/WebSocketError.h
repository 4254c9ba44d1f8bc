#pragma once

#include "platform/Error.h"
#include "platform/PresentableError.h"

#include <QAbstractSocket>
#include <QWebSocketProtocol>

#include <optional>

namespace parley {

// A failure of a WebSocket connection: the socket's own error, or the peer
// closing the connection. The description comes from the socket layer and
// never carries what was sent over the connection; it is for logs and
// developer tools ("The server closed the connection (code 1000)"). The user
// message says what happened in the user's words ("The chat service closed
// the connection.").
class WebSocketError : public Error, public PresentableError {
public:
    // `userMessage` replaces the words the socket error would get.
    WebSocketError(QAbstractSocket::SocketError socketError, const QString& description,
        std::optional<QString> userMessage = std::nullopt)
        : Error(description), socketError_(socketError), userMessage_(std::move(userMessage))
    { }

    // The peer ended the connection (a close frame, or the stream just ended).
    static WebSocketError closedByPeer(QWebSocketProtocol::CloseCode code, const QString& reason)
    {
        QString description = QStringLiteral("The server closed the connection (code %1)").arg(static_cast<int>(code));
        if (!reason.isEmpty())
            description += QStringLiteral(": ") + reason;
        WebSocketError error(QAbstractSocket::RemoteHostClosedError, description);
        error.closeCode_ = code;
        return error;
    }

    QAbstractSocket::SocketError socketError() const noexcept { return socketError_; }
    // The close code, when the peer closed the connection.
    std::optional<QWebSocketProtocol::CloseCode> closeCode() const noexcept { return closeCode_; }

    QString userMessage() const override;

private:
    QAbstractSocket::SocketError socketError_;
    std::optional<QWebSocketProtocol::CloseCode> closeCode_;
    std::optional<QString> userMessage_;
};

} // namespace parley
