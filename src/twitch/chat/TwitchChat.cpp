#include "twitch/chat/TwitchChat.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatIRCEncoder.h"
#include "twitch/chat/WebSocketError.h"

#include <chrono>

namespace parley {

namespace {

// Bounds what a hostile or broken server can make us buffer for one message.
constexpr quint64 maxIncomingMessageSize = 16 * 1024 * 1024;

std::exception_ptr socketError(const QWebSocket& socket)
{
    return std::make_exception_ptr(WebSocketError(socket.error(), socket.errorString()));
}

void fail(QPromise<void>& promise, const std::exception_ptr& error)
{
    promise.setException(error);
    promise.finish();
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

} // namespace

void TwitchChat::SocketDeleter::operator()(QWebSocket* socket) const
{
    // The socket may be the sender of the signal being handled right now.
    socket->deleteLater();
}

TwitchChat::TwitchChat(TwitchEndpoints endpoints, TwitchUserAccessToken accessToken,
                       std::optional<QString> channel, QObject* parent)
    : QObject(parent)
    , endpoints_(std::move(endpoints))
    , accessToken_(std::move(accessToken))
    , channel_(channel.value_or(accessToken_.info.login))
{
}

TwitchChat::~TwitchChat()
{
    if (connection_)
        endConnection(connection_);
    else if (socket_)
        closeSocket(nullptr);
}

std::unique_ptr<TwitchChatConnection> TwitchChat::connect()
{
    std::unique_ptr<TwitchChatConnection> connection(new TwitchChatConnection(this));
    if (socket_) {
        connection->finish(nullptr);
        return connection;
    }
    connection_ = connection.get();
    // Queued before the socket opens: opening can fail at once and drop it.
    unsentFrames_ = {
        { TwitchChatIRCEncoder::capabilityRequest(endpoints_.capabilityNamespace), nullptr },
        { TwitchChatIRCEncoder::pass(accessToken_.token), nullptr },
        { TwitchChatIRCEncoder::nick(accessToken_.info.login), nullptr },
        { TwitchChatIRCEncoder::join(channel_), nullptr },
    };
    openSocket();
    return connection;
}

QFuture<void> TwitchChat::send(const QString& text)
{
    if (!socket_)
        return QtFuture::makeReadyFuture();
    const QString body = TwitchChatIRCEncoder::chatText(text);
    const auto now = std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
    pendingMessages_.append(PendingMessage { body, now });
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    QFuture<void> future = done->future();
    sendFrame(TwitchChatIRCEncoder::privateMessage(channel_, body), std::move(done));
    return future;
}

void TwitchChat::openSocket()
{
    socket_.reset(new QWebSocket());
    QWebSocket* socket = socket_.get();
    socket->setMaxAllowedIncomingMessageSize(maxIncomingMessageSize);
    socket->setMaxAllowedIncomingFrameSize(maxIncomingMessageSize);
    // A long message must leave as one frame: split frames can cut a character.
    socket->setOutgoingFrameSize(QWebSocket::maxOutgoingFrameSize());

    QObject::connect(socket, &QWebSocket::connected, this, &TwitchChat::flushFrames);
    QObject::connect(socket, &QWebSocket::textMessageReceived, this, &TwitchChat::receiveFrame);
    QObject::connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
        [this, socket] { failConnection(socketError(*socket)); });
    QObject::connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        failConnection(std::make_exception_ptr(
            WebSocketError::closedByPeer(socket->closeCode(), socket->closeReason())));
    });
    socket->open(endpoints_.chatURL);
}

void TwitchChat::sendFrame(QString text, std::shared_ptr<QPromise<void>> done)
{
    OutgoingFrame frame { std::move(text), std::move(done) };
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        unsentFrames_.push_back(std::move(frame));
        return;
    }
    if (writeFrame(frame) && frame.done)
        frame.done->finish();
}

// Writes one frame; on failure fails it and the connection and returns false.
bool TwitchChat::writeFrame(const OutgoingFrame& frame)
{
    if (socket_->sendTextMessage(frame.text) > 0)
        return true;
    const std::exception_ptr error = socketError(*socket_);
    if (frame.done)
        fail(*frame.done, error);
    failConnection(error);
    return false;
}

void TwitchChat::flushFrames()
{
    while (socket_ && !unsentFrames_.empty()) {
        OutgoingFrame frame = std::move(unsentFrames_.front());
        unsentFrames_.pop_front();
        if (!writeFrame(frame))
            return;
        if (frame.done)
            frame.done->finish();
    }
}

void TwitchChat::receiveFrame(const QString& frame)
{
    // Observers of what a line publishes may cancel the connection or destroy
    // this client; the rest of the frame is then dropped.
    const QPointer<TwitchChat> self(this);
    const QWebSocket* socket = socket_.get();
    for (qsizetype start = 0; start < frame.size();) {
        const qsizetype end = lineEnd(frame, start);
        if (end > start) {
            // The line only lives while the frame does: no copy needed.
            receiveLine(QString::fromRawData(frame.constData() + start, end - start));
            if (!self || socket_.get() != socket)
                return;
        }
        start = end + 2;
    }
}

void TwitchChat::receiveLine(const QString& line)
{
    Diagnostics::write(QStringLiteral("TwitchChat.msgReceived: ") + line);
    if (line.startsWith(u"PING"))
        sendFrame(TwitchChatIRCEncoder::pong());
    else
        handleMessage(line);
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
    case TwitchChatIRCCommand::userNotice:
    case TwitchChatIRCCommand::notice:
        handleSystemLine(message);
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

void TwitchChat::handleSystemLine(const TwitchChatIRCMessage& message)
{
    if (std::optional<TwitchChatSystemMessage> line = TwitchChatSystemMessage::fromLine(message))
        appendSystemLine(std::move(*line));
}

// Returns false when an observer destroyed this client.
bool TwitchChat::markDeleted(const TwitchChatClear& clear)
{
    const auto isTarget = [&clear](const TwitchChatTextMessage& text) {
        switch (clear.kind) {
        case TwitchChatClear::Kind::message:
            return text.id == clear.targetMessageID;
        case TwitchChatClear::Kind::user:
            return !text.userID.isEmpty() && text.userID == clear.targetUserID;
        case TwitchChatClear::Kind::chat:
            break;
        }
        return false;
    };
    const QPointer<TwitchChat> self(this);
    bool updated = false;
    for (qsizetype index = messages_.size() - 1; index >= 0; --index) {
        TwitchChatTextMessage* text = messages_[index].text();
        if (!text || text->isDeleted || !isTarget(*text))
            continue;
        text->isDeleted = true;
        updated = true;
        emit messageUpdated(index);
        if (!self)
            return false;
        if (clear.kind == TwitchChatClear::Kind::message)
            break;
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
    const TwitchChatTextMessage own
        = TwitchChatTextMessage::fromConfirmation(message, pending, accessToken_.info.login);
    if (append(TwitchChatMessage(own)))
        emit ownMessageConfirmed(own);
}

// Returns false when an observer destroyed this client.
bool TwitchChat::append(TwitchChatMessage message)
{
    messages_.append(std::move(message));
    const QPointer<TwitchChat> self(this);
    emit messageAppended(messages_.constLast());
    if (self)
        emit messagesChanged();
    return self;
}

void TwitchChat::failConnection(const std::exception_ptr& error)
{
    const QPointer<TwitchChatConnection> connection = connection_;
    closeSocket(error);
    if (connection)
        connection->finish(error);
}

void TwitchChat::endConnection(TwitchChatConnection* connection)
{
    if (connection != connection_)
        return;
    closeSocket(nullptr);
    connection->finish(nullptr);
}

// Drops the socket without waiting for a closing handshake. Frames not yet
// written fail with `error`, or are cancelled when there is none.
void TwitchChat::closeSocket(const std::exception_ptr& error)
{
    connection_ = nullptr;
    if (!socket_)
        return;
    const auto socket = std::move(socket_);
    socket->disconnect(this);
    socket->abort();
    std::deque<OutgoingFrame> unsent = std::exchange(unsentFrames_, {});
    if (error)
        for (OutgoingFrame& frame : unsent)
            if (frame.done)
                fail(*frame.done, error);
}

} // namespace parley
