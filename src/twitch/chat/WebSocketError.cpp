#include "twitch/chat/WebSocketError.h"

namespace parley {

// The socket layer's words ("Connection refused", "The server closed the
// connection (code 1000)") speak of sockets and codes; the user hears what
// happened to the chat service.
QString WebSocketError::userMessage() const
{
    if (userMessage_)
        return *userMessage_;
    switch (socketError_) {
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("The chat service closed the connection.");
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("The chat service cannot be reached.");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("The chat service cannot be found. Check the internet connection.");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("The chat service did not answer in time.");
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::TemporaryError:
        return QStringLiteral("The network connection was lost.");
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return QStringLiteral("A secure connection to the chat service could not be made.");
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QStringLiteral("The proxy did not let the connection to the chat service through.");
    case QAbstractSocket::UnsupportedSocketOperationError:
        return QStringLiteral("The chat service's address is not valid.");
    default:
        return QStringLiteral("The connection to the chat service failed.");
    }
}

} // namespace parley
