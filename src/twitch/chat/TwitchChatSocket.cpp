#include "twitch/chat/TwitchChatSocket.h"

#include "twitch/chat/WebSocketError.h"

#include <QWebSocket>

namespace parley {

namespace {

// Bounds what a hostile or broken server can make us buffer for one message.
constexpr quint64 maxIncomingMessageSize = 16 * 1024 * 1024;

// Our own failures are worded for the user already.
std::exception_ptr ownError(QAbstractSocket::SocketError socketError, const char* description)
{
    const QString text = QString::fromLatin1(description);
    return std::make_exception_ptr(WebSocketError(socketError, text, text));
}

std::exception_ptr timeoutError(const char* description)
{
    return ownError(QAbstractSocket::SocketTimeoutError, description);
}

} // namespace

TwitchChatSocket::TwitchChatSocket(QUrl url, QStringList loginFrames, const TwitchChatTiming& timing, QObject* parent)
    : QObject(parent), url_(std::move(url)), loginFrames_(std::move(loginFrames)), timing_(timing)
{
    for (QTimer* timer : { &handshakeTimer_, &idleTimer_, &pingAnswerTimer_ })
        timer->setSingleShot(true);
    handshakeTimer_.setInterval(timing_.handshakeLimit);
    idleTimer_.setInterval(timing_.idleBeforePing);
    pingAnswerTimer_.setInterval(timing_.pingAnswerLimit);
    connect(
        &handshakeTimer_, &QTimer::timeout, this, [this] { fail(timeoutError("The chat service did not answer.")); });
    connect(&idleTimer_, &QTimer::timeout, this, &TwitchChatSocket::sendPing);
    connect(&pingAnswerTimer_, &QTimer::timeout, this,
        [this] { fail(timeoutError("The chat service stopped answering.")); });
}

TwitchChatSocket::~TwitchChatSocket()
{
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
}

void TwitchChatSocket::open()
{
    socket_ = std::make_unique<QWebSocket>();
    QWebSocket* socket = socket_.get();
    socket->setMaxAllowedIncomingMessageSize(maxIncomingMessageSize);
    socket->setMaxAllowedIncomingFrameSize(maxIncomingMessageSize);
    // A long message must leave as one frame: split frames can cut a character.
    socket->setOutgoingFrameSize(QWebSocket::maxOutgoingFrameSize());

    connect(socket, &QWebSocket::connected, this, [this] {
        for (const QString& frame : loginFrames_)
            send(frame);
    });
    connect(socket, &QWebSocket::textMessageReceived, this, &TwitchChatSocket::received);
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
        [this, socket] { fail(std::make_exception_ptr(WebSocketError(socket->error(), socket->errorString()))); });
    // The socket announces the end of a connection before its error: a
    // refused connection would read as a close by the service. The close is
    // looked at once the error has had its turn.
    connect(
        socket, &QWebSocket::disconnected, this,
        [this, socket] {
            if (!failed_)
                fail(std::make_exception_ptr(WebSocketError::closedByPeer(socket->closeCode(), socket->closeReason())));
        },
        Qt::QueuedConnection);
    handshakeTimer_.start();
    socket->open(url_);
}

void TwitchChatSocket::send(const QString& frame)
{
    if (failed_ || !socket_ || socket_->state() != QAbstractSocket::ConnectedState)
        return;
    if (socket_->sendTextMessage(frame) <= 0) {
        fail(std::make_exception_ptr(WebSocketError(socket_->error(), socket_->errorString())));
        return;
    }
    if (socket_->bytesToWrite() > maxBufferedBytes)
        fail(ownError(QAbstractSocket::NetworkError, "The chat service stopped taking data."));
}

void TwitchChatSocket::markWelcomed()
{
    welcomed_ = true;
    handshakeTimer_.stop();
    lastActivity_ = std::chrono::steady_clock::now();
    idleTimer_.start(timing_.idleBeforePing);
}

void TwitchChatSocket::received(const QString& frame)
{
    // Restarting a timer per frame costs more than reading the clock.
    lastActivity_ = std::chrono::steady_clock::now();
    if (pingAnswerTimer_.isActive()) {
        pingAnswerTimer_.stop();
        idleTimer_.start();
    }
    emit frameReceived(frame);
}

void TwitchChatSocket::sendPing()
{
    const auto idle = std::chrono::steady_clock::now() - lastActivity_;
    if (idle < timing_.idleBeforePing) {
        idleTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(timing_.idleBeforePing - idle));
        return;
    }
    send(QStringLiteral("PING :tmi.twitch.tv"));
    pingAnswerTimer_.start();
}

void TwitchChatSocket::fail(const std::exception_ptr& error)
{
    if (failed_)
        return;
    failed_ = true;
    handshakeTimer_.stop();
    idleTimer_.stop();
    pingAnswerTimer_.stop();
    socket_->disconnect(this);
    socket_->abort();
    emit failed(error);
}

} // namespace parley
