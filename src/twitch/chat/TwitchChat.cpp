#include "twitch/chat/TwitchChat.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatError.h"
#include "twitch/chat/TwitchChatIRCEncoder.h"
#include "twitch/chat/WebSocketError.h"
#include "twitch/chat/internal/SlidingList.h"

#include <QRandomGenerator>

#include <cmath>

namespace parley {

namespace {

using Clock = std::chrono::steady_clock;

void fail(QPromise<void>& promise, const std::exception_ptr& error)
{
    promise.setException(error);
    promise.finish();
}

QFuture<void> failed(const TwitchChatError& error)
{
    QPromise<void> promise;
    promise.start();
    fail(promise, std::make_exception_ptr(error));
    return promise.future();
}

Instant currentInstant()
{
    return std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
}

// The position of the next CR LF at or after `from`, or the frame's size.
qsizetype lineEnd(const QString& frame, qsizetype from)
{
    for (qsizetype end = from;; ++end) {
        end = frame.indexOf(u'\r', end);
        if (end < 0)
            return frame.size();
        if (end + 1 < frame.size() && frame.at(end + 1) == u'\n')
            return end;
    }
}

// The word at `from` and the position after it and its space.
QStringView word(QStringView line, qsizetype& from)
{
    const qsizetype space = line.indexOf(u' ', from);
    const qsizetype end = space < 0 ? line.size() : space;
    const QStringView result = line.sliced(from, end - from);
    from = end + 1;
    return result;
}

// The command word of a line, past its tags and source.
QStringView commandWord(QStringView line)
{
    qsizetype from = 0;
    QStringView first = word(line, from);
    if (first.startsWith(u'@') && from < line.size())
        first = word(line, from);
    if (first.startsWith(u':') && from < line.size())
        first = word(line, from);
    return first;
}

// The service's answer to a PING carries the PING's text.
QString pongFor(QStringView ping)
{
    QStringView text = ping.sliced(4).trimmed();
    if (text.startsWith(u':'))
        text = text.sliced(1);
    return TwitchChatIRCEncoder::pong(text);
}

bool isChatAddress(const QUrl& url)
{
    return url.isValid() && (url.scheme() == u"ws" || url.scheme() == u"wss");
}

bool isLoginRefusal(QStringView text)
{
    return text == u"Login authentication failed" || text == u"Improperly formatted auth";
}

// The NOTICE ids with which the service refuses the user's message.
bool isMessageRefusal(QStringView noticeID)
{
    return noticeID.startsWith(u"msg_") || noticeID == u"unrecognized_cmd";
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
{
    for (QTimer* timer : { &confirmationTimer_, &retryTimer_, &stableTimer_ })
        timer->setSingleShot(true);
    countdownTimer_.setInterval(1000);
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

QFuture<void> TwitchChat::send(const QString& text)
{
    if (!socket_)
        return failed(TwitchChatError::notConnected());
    if (!isWithinRateLimit())
        return failed(TwitchChatError::sendingTooQuickly());
    const QString body = TwitchChatIRCEncoder::chatText(text);
    pendingMessages_.append(PendingMessage { body, currentInstant() });
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    pendingSends_.push_back({ done, Clock::now() + timing_.confirmationLimit, false });
    if (!confirmationTimer_.isActive())
        scheduleConfirmationCheck();
    if (socket_->isWelcomed())
        writePendingFrames();
    return done->future();
}

// The service counts every message of the last window; the broadcaster may
// send more in their own channel.
bool TwitchChat::isWithinRateLimit()
{
    const qsizetype limit = channel_.compare(accessToken_.info.login, Qt::CaseInsensitive) == 0 ? 100 : 20;
    const auto now = Clock::now();
    while (!recentSends_.empty() && now - recentSends_.front() >= timing_.rateWindow)
        recentSends_.pop_front();
    if (qsizetype(recentSends_.size()) >= limit)
        return false;
    recentSends_.push_back(now);
    return true;
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
        const qsizetype end = lineEnd(frame, start);
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
        socket->send(pongFor(line));
        return;
    }
    if (!socket->isWelcomed() && commandWord(line) == u"001")
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
    failUnwritten(error);
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
    for (qsizetype index = 0; index < pendingMessages_.size() && socket_; ++index) {
        PendingSend& pending = pendingSends_[std::size_t(index)];
        if (pending.written)
            continue;
        pending.written = true;
        socket_->send(TwitchChatIRCEncoder::privateMessage(channel_, pendingMessages_.at(index).body));
    }
}

void TwitchChat::failPending(qsizetype index, const std::exception_ptr& error)
{
    pendingMessages_.removeAt(index);
    const PendingSend pending = pendingSends_[std::size_t(index)];
    pendingSends_.erase(pendingSends_.begin() + index);
    fail(*pending.done, error);
}

// Messages that never went out cannot be confirmed by any later connection.
void TwitchChat::failUnwritten(const std::exception_ptr& error)
{
    for (qsizetype index = pendingMessages_.size() - 1; index >= 0; --index)
        if (!pendingSends_[std::size_t(index)].written)
            failPending(index, error);
}

void TwitchChat::dropUnconfirmed()
{
    const auto now = Clock::now();
    const auto error = std::make_exception_ptr(TwitchChatError::messageNotConfirmed());
    while (!pendingSends_.empty() && pendingSends_.front().deadline <= now)
        failPending(0, error);
    scheduleConfirmationCheck();
}

void TwitchChat::scheduleConfirmationCheck()
{
    if (pendingSends_.empty()) {
        confirmationTimer_.stop();
        return;
    }
    const auto left = pendingSends_.front().deadline - Clock::now();
    confirmationTimer_.start(
        std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(left)));
}

void TwitchChat::scheduleRetry(const std::exception_ptr& error)
{
    stableTimer_.stop();
    const std::chrono::milliseconds base = std::min<std::chrono::milliseconds>(
        timing_.firstRetry * (qint64(1) << std::min(retries_, 20)), timing_.lastRetry);
    ++retries_;
    const double factor = 1.0 + timing_.jitter * (2.0 * QRandomGenerator::global()->generateDouble() - 1.0);
    retryTimer_.start(std::chrono::milliseconds(qint64(double(base.count()) * factor)));
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
        failUnwritten(error);
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

void TwitchChat::handleMessage(const QString& line)
{
    try {
        handleMessage(TwitchChatIRCMessage::parse(line));
    } catch (const Error& error) {
        Diagnostics::write(QStringLiteral("TwitchChat.handleMsgFailed: ") + error.description());
    }
}

void TwitchChat::handleMessage(const TwitchChatIRCMessage& message)
{
    if (std::optional<TwitchChatTextMessage> text = TwitchChatTextMessage::fromLine(message)) {
        append(TwitchChatMessage(std::move(*text)));
        return;
    }
    switch (message.command()) {
    case TwitchChatIRCCommand::userState:
        handleUserState(message);
        break;
    case TwitchChatIRCCommand::roomState:
        handleRoomState(message);
        break;
    case TwitchChatIRCCommand::clearMsg:
    case TwitchChatIRCCommand::clearChat:
        handleClear(message);
        break;
    case TwitchChatIRCCommand::notice:
        handleNotice(message);
        break;
    case TwitchChatIRCCommand::userNotice:
        handleSystemLine(message);
        break;
    case TwitchChatIRCCommand::reconnect:
        openStandby();
        break;
    default:
        break;
    }
}

// The service sends only the settings that changed: the line is read over
// the last room state.
void TwitchChat::handleRoomState(const TwitchChatIRCMessage& message)
{
    if (std::optional<RoomState> room = RoomState::fromLine(message, room_)) {
        room_ = std::move(room);
        emit roomChanged();
    } else {
        Diagnostics::write(QStringLiteral("TwitchChat.roomStateMsgParseFailed: not a valid ROOMSTATE msg"));
    }
}

// Removed messages stay in the list, shown deleted, so the list does not
// jump; a timeout, ban or clear also gets its system line.
void TwitchChat::handleClear(const TwitchChatIRCMessage& message)
{
    const std::optional<TwitchChatClear> clear = TwitchChatClear::fromLine(message);
    if (!clear || !markDeleted(*clear))
        return;
    if (std::optional<TwitchChatSystemMessage> line = clear->systemMessage())
        appendSystemLine(std::move(*line));
}

void TwitchChat::handleNotice(const TwitchChatIRCMessage& message)
{
    using Tag = TwitchChatIRCMessage::Tag;
    const qsizetype colon = message.parameters().indexOf(u':');
    const QStringView text = colon < 0 ? QStringView() : message.parameters().sliced(colon + 1);
    if (isLoginRefusal(text)) {
        finishRun(std::make_exception_ptr(TwitchChatError(TwitchChatError::Code::loginRefused, text.toString())));
        return;
    }
    if (!pendingMessages_.isEmpty() && isMessageRefusal(message.tags()[Tag::msgID]))
        failPending(
            0, std::make_exception_ptr(TwitchChatError(TwitchChatError::Code::messageRefused, text.toString())));
    handleSystemLine(message);
}

void TwitchChat::handleSystemLine(const TwitchChatIRCMessage& message)
{
    if (std::optional<TwitchChatSystemMessage> line = TwitchChatSystemMessage::fromLine(message))
        appendSystemLine(std::move(*line));
}

// Returns false when an observer destroyed this client.
bool TwitchChat::markDeleted(const TwitchChatClear& clear)
{
    switch (clear.kind) {
    case TwitchChatClear::Kind::message:
        if (const std::optional<qsizetype> position = messageIndex_.positionOfMessage(clear.targetMessageID))
            return markDeleted(QList<qsizetype> { *position });
        return true;
    case TwitchChatClear::Kind::user:
        return clear.targetUserID.isEmpty() || markDeleted(messageIndex_.positionsOfUser(clear.targetUserID));
    case TwitchChatClear::Kind::chat:
        break;
    }
    return true;
}

// Marks the text messages at `positions` deleted, newest first, announcing
// each that was not already. Returns false when an observer destroyed this
// client.
bool TwitchChat::markDeleted(const QList<qsizetype>& positions)
{
    const QPointer<TwitchChat> self(this);
    bool updated = false;
    for (auto position = positions.crbegin(); position != positions.crend(); ++position) {
        TwitchChatTextMessage* text = messages_[*position].text();
        if (!text || text->isDeleted())
            continue;
        text->setDeleted(true);
        updated = true;
        emit messageUpdated(*position);
        if (!self)
            return false;
    }
    if (updated)
        emit messagesChanged();
    return self;
}

// Lines without a send time of their own (NOTICE) take their arrival time.
bool TwitchChat::appendSystemLine(TwitchChatSystemMessage line)
{
    if (!line.sentAt)
        line.sentAt = std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
    return append(TwitchChatMessage(std::move(line)));
}

// A USERSTATE carrying a message id and the broadcaster badge is the service's
// echo of the oldest message this client sent.
void TwitchChat::handleUserState(const TwitchChatIRCMessage& message)
{
    using Tag = TwitchChatIRCMessage::Tag;
    if (pendingMessages_.isEmpty() || !message.tags().contains(Tag::id))
        return;
    if (!TwitchBadges::fromTagValue(message.tags()[Tag::badges]).isPositive(TwitchBadge::broadcaster))
        return;
    const PendingMessage pending = pendingMessages_.takeFirst();
    const std::shared_ptr<QPromise<void>> done = pendingSends_.front().done;
    pendingSends_.pop_front();
    scheduleConfirmationCheck();
    const TwitchChatTextMessage own = TwitchChatTextMessage::fromConfirmation(
        message, pending, accessToken_.info.login);
    const QPointer<TwitchChat> self(this);
    done->finish();
    if (self && append(TwitchChatMessage(own)))
        emit ownMessageConfirmed(own);
}

// Returns false when an observer destroyed this client.
bool TwitchChat::append(TwitchChatMessage message)
{
    const QPointer<TwitchChat> self(this);
    if (messages_.size() >= maxMessages) {
        const qsizetype dropped = messages_.size() - maxMessages + 1;
        messageIndex_.dropFront(dropped);
        messages_.remove(0, dropped);
        keepSlidingRoom(messages_);
        emit messagesDropped(dropped);
        if (!self)
            return false;
    }
    messages_.append(std::move(message));
    messageIndex_.appendLast();
    emit messageAppended(messages_.constLast());
    if (self)
        emit messagesChanged();
    return self;
}

} // namespace parley
