#include "twitch/chat/TwitchChat.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatError.h"
#include "twitch/chat/TwitchChatIRCEncoder.h"
#include "twitch/chat/WebSocketError.h"
#include "twitch/chat/internal/ChatLineReading.h"
#include "twitch/chat/internal/TwitchChatHistory.h"
#include "twitch/chat/internal/TwitchChatOutbox.h"
#include "twitch/chat/internal/TwitchChatReconnectSchedule.h"
#include "platform/FailedFuture.h"

#include <QRandomGenerator>

#include <cmath>

namespace parley {

namespace {

using Clock = std::chrono::steady_clock;

Instant currentInstant()
{
    return std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
}

} // namespace

void TwitchChat::SocketDeleter::operator()(TwitchChatSocket* socket) const
{
    // The socket may be the sender of the signal being handled right now.
    socket->disconnect();
    socket->deleteLater();
}

TwitchChat::TwitchChat(
    TwitchEndpoints endpoints, TwitchUserAccessToken accessToken, std::optional<QString> channel, QObject* parent)
    : QObject(parent)
    , endpoints_(std::move(endpoints))
    , accessToken_(std::move(accessToken))
    , channel_(channel.value_or(accessToken_.info.login))
    , history_(std::make_unique<TwitchChatHistory>(maxMessages))
    , outbox_(std::make_unique<TwitchChatOutbox>())
{
    for (QTimer* timer : { &confirmationTimer_, &retryTimer_, &stableTimer_ })
        timer->setSingleShot(true);
    countdownTimer_.setInterval(std::chrono::seconds(1));
    retryTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&confirmationTimer_, &QTimer::timeout, this, &TwitchChat::dropUnconfirmed);
    QObject::connect(&retryTimer_, &QTimer::timeout, this, &TwitchChat::retry);
    QObject::connect(&countdownTimer_, &QTimer::timeout, this, &TwitchChat::updateCountdown);
    QObject::connect(&stableTimer_, &QTimer::timeout, this, [this] { retries_ = 0; });
}

TwitchChat::~TwitchChat()
{
    // Observers hear nothing from a client that is going away.
    blockSignals(true);
    if (connection_)
        endConnection(connection_);
    closeSockets();
}

const QList<TwitchChatMessage>& TwitchChat::messages() const
{
    return history_->messages();
}

const QList<PendingMessage>& TwitchChat::pendingMessages() const
{
    return outbox_->messages();
}

std::unique_ptr<TwitchChatConnection> TwitchChat::connect()
{
    std::unique_ptr<TwitchChatConnection> connection(new TwitchChatConnection(this));
    if (connection_ || socket_) {
        connection->finish(nullptr);
        return connection;
    }
    connection_ = connection.get();
    established_ = false;
    retries_ = 0;
    setConnectionState({ TwitchChatConnectionState::Phase::connecting, nullptr, std::nullopt });
    // No later try can reach an address that is not a WebSocket's.
    if (!isChatAddress(endpoints_.chatURL)) {
        finishRun(std::make_exception_ptr(WebSocketError(QAbstractSocket::UnsupportedSocketOperationError,
            QStringLiteral("Not a chat service address: %1").arg(endpoints_.chatURL.toDisplayString()))));
        return connection;
    }
    openSocket();
    return connection;
}

QFuture<void> TwitchChat::send(const QString& text, const QString& replyParentMessageID)
{
    if (!socket_)
        return failedFuture(TwitchChatError::notConnected());
    if (!outbox_->admit(Clock::now(), rateLimit(), timing_.rateWindow))
        return failedFuture(TwitchChatError::sendingTooQuickly());
    QFuture<void> done = outbox_->add(
        { TwitchChatIRCEncoder::chatText(text), currentInstant(), replyParentMessageID },
        Clock::now() + timing_.confirmationLimit);
    if (!confirmationTimer_.isActive())
        scheduleConfirmationCheck();
    if (socket_->isWelcomed())
        writePendingFrames();
    return done;
}

// The broadcaster may send more in their own channel.
qsizetype TwitchChat::rateLimit() const
{
    return channel_.compare(accessToken_.info.login, Qt::CaseInsensitive) == 0 ? timing_.ownChannelRateLimit
                                                                               : timing_.rateLimit;
}

TwitchChat::SocketPointer TwitchChat::makeSocket()
{
    SocketPointer socket(new TwitchChatSocket(endpoints_.chatURL,
        {
            TwitchChatIRCEncoder::capabilityRequest(endpoints_.capabilityNamespace),
            TwitchChatIRCEncoder::pass(accessToken_.token),
            TwitchChatIRCEncoder::nick(accessToken_.info.login),
            TwitchChatIRCEncoder::join(channel_),
        },
        timing_));
    TwitchChatSocket* raw = socket.get();
    QObject::connect(
        raw, &TwitchChatSocket::frameReceived, this, [this, raw](const QString& frame) { receiveFrame(raw, frame); });
    QObject::connect(raw, &TwitchChatSocket::failed, this,
        [this, raw](const std::exception_ptr& error) { socketFailed(raw, error); });
    return socket;
}

void TwitchChat::openSocket()
{
    socket_ = makeSocket();
    socket_->open();
}

void TwitchChat::receiveFrame(TwitchChatSocket* socket, const QString& frame)
{
    // Observers of what a line publishes may cancel the connection or destroy
    // this client; the rest of the frame is then dropped.
    const QPointer<TwitchChat> self(this);
    for (qsizetype start = 0; start < frame.size();) {
        const qsizetype end = chatLineEnd(frame, start);
        if (end > start) {
            // The line only lives while the frame does: no copy needed.
            receiveLine(socket, QString::fromRawData(frame.constData() + start, end - start));
            if (!self || (socket_.get() != socket && standby_.get() != socket))
                return;
        }
        start = end + 2;
    }
}

void TwitchChat::receiveLine(TwitchChatSocket* socket, const QString& line)
{
    Diagnostics::write(QStringLiteral("TwitchChat.msgReceived: ") + line);
    if (line.startsWith(u"PING")) {
        socket->send(chatPongFor(line));
        return;
    }
    if (!socket->isWelcomed() && chatCommandWord(line) == u"001")
        welcomed(socket);
    if (socket == standby_.get())
        receiveStandbyLine(line);
    else
        handleMessage(line);
}

// The new connection only logs in and joins; the old one carries the chat
// until then, so nothing is shown twice.
void TwitchChat::receiveStandbyLine(const QString& line)
{
    const std::optional<TwitchChatIRCMessage> message = TwitchChatIRCMessage::tryParse(line);
    if (!message)
        return;
    if (message->command() == TwitchChatIRCCommand::join)
        promoteStandby();
    else if (message->command() == TwitchChatIRCCommand::notice)
        handleNotice(*message);
}

void TwitchChat::welcomed(TwitchChatSocket* socket)
{
    socket->markWelcomed();
    if (socket != socket_.get())
        return;
    if (established_)
        Diagnostics::write(QStringLiteral("TwitchChat.reconnected:"));
    established_ = true;
    liveCount_ = 0;
    stableTimer_.start(timing_.stableAfter);
    setConnectionState({ TwitchChatConnectionState::Phase::connected, nullptr, std::nullopt });
    writePendingFrames();
}

void TwitchChat::socketFailed(TwitchChatSocket* socket, const std::exception_ptr& error)
{
    Diagnostics::write(QStringLiteral("TwitchChat.connectionLost: ") + describe(error));
    if (socket == standby_.get()) {
        standby_.reset();
        return;
    }
    if (socket != socket_.get())
        return;
    socket_.reset();
    if (standby_) {
        // The service closed the old connection before the new one joined.
        socket_ = std::move(standby_);
        return;
    }
    outbox_->failUnwritten(error);
    scheduleRetry(error);
}

void TwitchChat::openStandby()
{
    if (standby_ || !socket_ || !socket_->isWelcomed())
        return;
    Diagnostics::write(QStringLiteral("TwitchChat.reconnecting: the service asked to move"));
    standby_ = makeSocket();
    standby_->open();
}

void TwitchChat::promoteStandby()
{
    socket_ = std::move(standby_);
    stableTimer_.start(timing_.stableAfter);
    Diagnostics::write(QStringLiteral("TwitchChat.reconnected:"));
    writePendingFrames();
}

void TwitchChat::writePendingFrames()
{
    while (socket_) {
        const std::optional<PendingMessage> message = outbox_->takeUnwritten();
        if (!message)
            return;
        socket_->send(
            TwitchChatIRCEncoder::privateMessage(channel_, message->body, message->replyParentMessageID));
    }
}

void TwitchChat::dropUnconfirmed()
{
    outbox_->failExpired(Clock::now(), std::make_exception_ptr(TwitchChatError::messageNotConfirmed()));
    scheduleConfirmationCheck();
}

void TwitchChat::scheduleConfirmationCheck()
{
    const std::optional<Clock::time_point> deadline = outbox_->nextDeadline();
    if (!deadline) {
        confirmationTimer_.stop();
        return;
    }
    confirmationTimer_.start(
        std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now())));
}

void TwitchChat::scheduleRetry(const std::exception_ptr& error)
{
    stableTimer_.stop();
    retryTimer_.start(
        TwitchChatReconnectSchedule(timing_).nextDelay(retries_++, QRandomGenerator::global()->generateDouble()));
    countdownTimer_.start();
    Diagnostics::write(QStringLiteral("TwitchChat.reconnecting: in %1 ms").arg(retryTimer_.interval()));
    setConnectionState({ TwitchChatConnectionState::Phase::reconnecting, error, std::nullopt });
    updateCountdown();
}

void TwitchChat::updateCountdown()
{
    TwitchChatConnectionState state = connectionState_;
    // Rounded, not up: the timer's own slack would show one second too many.
    state.secondsUntilRetry = std::max(1, int(std::lround(retryTimer_.remainingTime() / 1000.0)));
    setConnectionState(std::move(state));
}

void TwitchChat::retry()
{
    countdownTimer_.stop();
    TwitchChatConnectionState state = connectionState_;
    state.secondsUntilRetry.reset();
    setConnectionState(std::move(state));
    openSocket();
}

void TwitchChat::setConnectionState(TwitchChatConnectionState state)
{
    if (state == connectionState_)
        return;
    connectionState_ = std::move(state);
    emit connectionStateChanged();
}

// Ends the run for good: with an error it failed, without one it was cancelled.
void TwitchChat::finishRun(const std::exception_ptr& error)
{
    const QPointer<TwitchChatConnection> connection = connection_;
    connection_ = nullptr;
    closeSockets();
    if (error)
        outbox_->failUnwritten(error);
    setConnectionState(
        { error ? TwitchChatConnectionState::Phase::failed : TwitchChatConnectionState::Phase::disconnected, error,
            std::nullopt });
    if (connection)
        connection->finish(error);
}

void TwitchChat::endConnection(TwitchChatConnection* connection)
{
    if (connection == connection_)
        finishRun(nullptr);
}

// Drops the sockets without waiting for a closing handshake.
void TwitchChat::closeSockets()
{
    socket_.reset();
    standby_.reset();
    retryTimer_.stop();
    countdownTimer_.stop();
    stableTimer_.stop();
}

} // namespace parley
