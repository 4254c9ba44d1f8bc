#pragma once

#include "twitch/chat/TwitchChatConnection.h"
#include "twitch/chat/PendingMessage.h"
#include "twitch/chat/RoomState.h"
#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/TwitchChatMessage.h"
#include "twitch/api/TwitchEndpoints.h"
#include "twitch/api/TwitchUserAccessToken.h"
#include "twitch/chat/UserState.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <QString>
#include <QWebSocket>

#include <deque>
#include <memory>
#include <optional>

namespace parley {

// The client of one chat channel: a WebSocket to the chat service, logged in
// with the user's token, joined to one channel. It publishes what it receives
// (the message list only grows; the room state is replaced as a whole) and
// sends the user's messages, appending each once the service confirms it.
// Moderators' deletions mark messages deleted in place; channel events,
// timeouts, bans, clears and the service's notices become system lines.
// Lives on the main thread; there is no reconnect.
class TwitchChat : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<parley::TwitchChatMessage> messages READ messages NOTIFY messagesChanged)
    Q_PROPERTY(QList<parley::UserState> users READ users CONSTANT)
    Q_PROPERTY(std::optional<parley::RoomState> room READ room NOTIFY roomChanged)
    Q_PROPERTY(QString channel READ channel CONSTANT)

public:
    // Joins `channel`, or the token's own login when none is given. Does not
    // connect.
    TwitchChat(TwitchEndpoints endpoints, TwitchUserAccessToken accessToken,
               std::optional<QString> channel = std::nullopt, QObject* parent = nullptr);
    ~TwitchChat() override;

    // Opens the connection, logs in, joins the channel and receives until the
    // returned run is cancelled or the connection fails. When a connection is
    // already open, the returned run finishes at once as cancelled and nothing
    // is sent.
    std::unique_ptr<TwitchChatConnection> connect();

    // Sends `text` to the channel (line breaks become spaces, so the text
    // cannot smuggle in commands of its own) and queues it until the service
    // confirms it. The future finishes once the frame is handed to the socket
    // (during the handshake it waits for it); without an open connection
    // nothing is queued or sent and it finishes at once. Fails with the
    // socket's error; the message then stays queued.
    QFuture<void> send(const QString& text);

    const QList<TwitchChatMessage>& messages() const { return messages_; }
    QList<UserState> users() const { return users_; }
    const std::optional<RoomState>& room() const { return room_; }
    const QList<PendingMessage>& pendingMessages() const { return pendingMessages_; }
    const QString& channel() const { return channel_; }
    bool isConnected() const { return socket_ != nullptr; }

signals:
    // Announced after the message is stored: `message` is messages().last().
    // Follow this signal to mirror the list in constant time per message.
    void messageAppended(const parley::TwitchChatMessage& message);
    // messages()[index] changed in place (a moderator deleted it: its text
    // message's isDeleted turned true). Followed by messagesChanged.
    void messageUpdated(qsizetype index);
    // The service confirmed one of this client's messages; also appended.
    void ownMessageConfirmed(const parley::TwitchChatTextMessage& message);
    // Follows every append. A reader that keeps a copy of the list makes the
    // next append copy it whole: keep up through messageAppended instead.
    void messagesChanged();
    void roomChanged();

private:
    friend class TwitchChatConnection;

    struct OutgoingFrame {
        QString text;
        std::shared_ptr<QPromise<void>> done;  // null for frames of the protocol itself
    };
    struct SocketDeleter {
        void operator()(QWebSocket* socket) const;
    };

    void openSocket();
    void sendFrame(QString text, std::shared_ptr<QPromise<void>> done = nullptr);
    bool writeFrame(const OutgoingFrame& frame);
    void flushFrames();
    void receiveFrame(const QString& frame);
    void receiveLine(const QString& line);
    void handleMessage(const QString& line);
    void handleMessage(const TwitchChatIRCMessage& message);
    void handleUserState(const TwitchChatIRCMessage& message);
    void handleRoomState(const TwitchChatIRCMessage& message);
    void handleClear(const TwitchChatIRCMessage& message);
    void handleSystemLine(const TwitchChatIRCMessage& message);
    bool markDeleted(const TwitchChatClear& clear);
    bool appendSystemLine(TwitchChatSystemMessage line);
    bool append(TwitchChatMessage message);

    void failConnection(const std::exception_ptr& error);
    void endConnection(TwitchChatConnection* connection);
    void closeSocket(const std::exception_ptr& error);

    const TwitchEndpoints endpoints_;
    const TwitchUserAccessToken accessToken_;
    const QString channel_;

    QList<TwitchChatMessage> messages_;
    QList<UserState> users_;
    std::optional<RoomState> room_;
    QList<PendingMessage> pendingMessages_;

    std::unique_ptr<QWebSocket, SocketDeleter> socket_;
    std::deque<OutgoingFrame> unsentFrames_;  // held until the handshake completes
    QPointer<TwitchChatConnection> connection_;
};

} // namespace parley
