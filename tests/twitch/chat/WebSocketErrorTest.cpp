#include "twitch/chat/WebSocketError.h"
#include "platform/ErrorPresenter.h"
#include "twitch/chat/TwitchChatError.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

QString presented(const std::exception_ptr& error)
{
    return ErrorPresenter::userMessage(error);
}

TEST(WebSocketError, APeerThatClosedTheConnectionReadsAsTheChatServiceClosingIt)
{
    const WebSocketError closed = WebSocketError::closedByPeer(QWebSocketProtocol::CloseCodeNormal, {});
    // The log keeps the socket layer's words and the code.
    EXPECT_EQ(closed.description(), u"The server closed the connection (code 1000)");
    EXPECT_EQ(closed.closeCode(), QWebSocketProtocol::CloseCodeNormal);
    EXPECT_EQ(presented(std::make_exception_ptr(closed)), u"The chat service closed the connection.");

    const WebSocketError withReason = WebSocketError::closedByPeer(
        QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("restarting"));
    EXPECT_EQ(withReason.description(), u"The server closed the connection (code 1001): restarting");
    EXPECT_EQ(withReason.userMessage(), u"The chat service closed the connection.");
}

TEST(WebSocketError, SocketErrorsReadAsWhatHappenedToTheChatService)
{
    const auto words = [](QAbstractSocket::SocketError error) {
        return presented(std::make_exception_ptr(WebSocketError(error, QStringLiteral("socket layer text"))));
    };
    EXPECT_EQ(words(QAbstractSocket::RemoteHostClosedError), u"The chat service closed the connection.");
    EXPECT_EQ(words(QAbstractSocket::ConnectionRefusedError), u"The chat service cannot be reached.");
    EXPECT_EQ(
        words(QAbstractSocket::HostNotFoundError), u"The chat service cannot be found. Check the internet connection.");
    EXPECT_EQ(words(QAbstractSocket::NetworkError), u"The network connection was lost.");
    EXPECT_EQ(words(QAbstractSocket::SocketTimeoutError), u"The chat service did not answer in time.");
    EXPECT_EQ(
        words(QAbstractSocket::SslHandshakeFailedError), u"A secure connection to the chat service could not be made.");
    EXPECT_EQ(words(QAbstractSocket::ProxyConnectionRefusedError),
        u"The proxy did not let the connection to the chat service through.");
    EXPECT_EQ(words(QAbstractSocket::UnknownSocketError), u"The connection to the chat service failed.");

    // The client's own failures come worded already.
    const WebSocketError own(QAbstractSocket::SocketTimeoutError, QStringLiteral("The chat service stopped answering."),
        QStringLiteral("The chat service stopped answering."));
    EXPECT_EQ(presented(std::make_exception_ptr(own)), u"The chat service stopped answering.");
}

TEST(WebSocketError, TheChatClientsOwnErrorsShowTheirDescription)
{
    EXPECT_EQ(presented(std::make_exception_ptr(TwitchChatError::notConnected())), u"Not connected to chat.");
    EXPECT_EQ(presented(std::make_exception_ptr(
                  TwitchChatError(TwitchChatError::Code::messageRefused, QStringLiteral("You are banned.")))),
        u"You are banned.");
}

} // namespace
