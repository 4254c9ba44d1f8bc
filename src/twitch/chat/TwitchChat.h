#pragma once

#include "twitch/api/TwitchEndpoints.h"
#include "twitch/api/TwitchUserAccessToken.h"
#include "twitch/chat/PendingMessage.h"
#include "twitch/chat/RoomState.h"
#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/TwitchChatConnection.h"
#include "twitch/chat/TwitchChatConnectionState.h"
#include "twitch/chat/TwitchChatMessage.h"
#include "twitch/chat/TwitchChatSocket.h"
#include "twitch/chat/TwitchChatTiming.h"
#include "twitch/chat/UserState.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

namespace parley {

class TwitchChatHistory;
class TwitchChatOutbox;

// The client of one chat channel: a WebSocket to the chat service, logged in
// with the user's token, joined to one channel. It publishes what it receives
// (the newest maxMessages messages; the room state is replaced as a whole) and
// sends the user's messages, appending each once the service confirms it.
// Moderators' deletions mark messages deleted in place; channel events,
// timeouts, bans, clears and the service's notices become system lines.
// A connection that cannot be made or is lost is made again after a growing
// wait; messages, room state and pending sends survive that. Main thread only.
class TwitchChat : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<parley::TwitchChatMessage> messages READ messages NOTIFY messagesChanged)
    Q_PROPERTY(QList<parley::UserState> users READ users CONSTANT)
    Q_PROPERTY(std::optional<parley::RoomState> room READ room NOTIFY roomChanged)
    Q_PROPERTY(QString channel READ channel CONSTANT)

public:
    // The longest the message list grows; older messages are dropped.
    static constexpr qsizetype maxMessages = 10'000;

    // Joins `channel`, or the token's own login when none is given. Does not
    // connect.
    TwitchChat(TwitchEndpoints endpoints, TwitchUserAccessToken accessToken,
        std::optional<QString> channel = std::nullopt, QObject* parent = nullptr);
    ~TwitchChat() override;

    // Applies to connections and sends started afterwards.
    void setTiming(const TwitchChatTiming& timing) { timing_ = timing; }
    const TwitchChatTiming& timing() const { return timing_; }

    // Opens the connection, logs in, joins the channel and receives until the
    // returned run is cancelled or the chat fails for good: the service
    // refuses the login, or the chat address is not a WebSocket's (ws, wss).
    // A connection that cannot be made (the network is down at launch) or is
    // lost is tried again after a growing wait (a reconnect), and one the
    // service asks to move (RECONNECT) is moved. When a run is already going,
    // the returned run finishes at once as cancelled and nothing is sent.
    std::unique_ptr<TwitchChatConnection> connect();

    // Sends `text` to the channel (line breaks become spaces, so the text
    // cannot smuggle in commands of its own) and queues it until the service
    // confirms it. While the connection is being opened the frame waits for
    // the welcome. The future finishes when the service confirms the message;
    // it fails with a TwitchChatError when there is no connection (nothing is
    // queued), when the rate limit would be passed (nothing goes out), when
    // the service refuses the message (with its notice text) or does not
    // confirm it in time; and with the socket's error when the connection
    // fails before the frame went out. With `replyParentMessageID`, the
    // message answers that one (sent with the reply-parent-msg-id tag).
    QFuture<void> send(const QString& text, const QString& replyParentMessageID = {});

    // Puts the channel's recent history (raw chat lines, oldest first, as
    // the history service keeps them) before the messages received on the
    // current connection, each marked historical. Lines already shown go
    // in once; lines the service marks deleted show deleted, as do the
    // shown messages among them.
    void insertHistory(const QStringList& lines);
    // A notice line where the recent history would have gone (it could not
    // be loaded).
    void insertHistoryNotice(const QString& text);

    const QList<TwitchChatMessage>& messages() const;
    QList<UserState> users() const { return users_; }
    const std::optional<RoomState>& room() const { return room_; }
    const QList<PendingMessage>& pendingMessages() const;
    const QString& channel() const { return channel_; }
    // A connection is open or being opened (sends are taken).
    bool isConnected() const { return socket_ != nullptr; }
    const TwitchChatConnectionState& connectionState() const { return connectionState_; }

signals:
    // The `count` oldest messages were removed to make room; announced just
    // before the messageAppended that needed the room.
    void messagesDropped(qsizetype count);
    // Announced after the message is stored: `message` is messages().last().
    // Follow this signal to mirror the list in constant time per message.
    void messageAppended(const parley::TwitchChatMessage& message);
    // Announced after they are stored: messages()[position] and the `count`
    // after it are new, put before the live messages (the recent history).
    // A messagesDropped may come first, for the room they needed.
    void messagesInserted(qsizetype position, qsizetype count);
    // messages()[index] changed in place (a moderator deleted it: its text
    // message's isDeleted turned true). Followed by messagesChanged.
    void messageUpdated(qsizetype index);
    // A moderator removed a message, a user's messages (a timeout or a ban)
    // or the whole chat; announced after the messages are shown deleted.
    void cleared(const parley::TwitchChatClear& clear);
    // The service confirmed one of this client's messages; also appended.
    void ownMessageConfirmed(const parley::TwitchChatTextMessage& message);
    // Follows every append. A reader that keeps a copy of the list makes the
    // next append copy it whole: keep up through messageAppended instead.
    void messagesChanged();
    void roomChanged();
    void connectionStateChanged();

private:
    friend class TwitchChatConnection;

    struct SocketDeleter {
        void operator()(TwitchChatSocket* socket) const;
    };
    using SocketPointer = std::unique_ptr<TwitchChatSocket, SocketDeleter>;

    SocketPointer makeSocket();
    void openSocket();
    void receiveFrame(TwitchChatSocket* socket, const QString& frame);
    void receiveLine(TwitchChatSocket* socket, const QString& line);
    void receiveStandbyLine(const QString& line);
    void welcomed(TwitchChatSocket* socket);
    void socketFailed(TwitchChatSocket* socket, const std::exception_ptr& error);
    void handleMessage(const QString& line);
    void handleMessage(const TwitchChatIRCMessage& message);
    void handleUserState(const TwitchChatIRCMessage& message);
    void handleRoomState(const TwitchChatIRCMessage& message);
    void handleClear(const TwitchChatIRCMessage& message);
    void handleNotice(const TwitchChatIRCMessage& message);
    void handleSystemLine(const TwitchChatIRCMessage& message);
    bool announceDeleted(const QList<qsizetype>& positions);
    bool appendSystemLine(TwitchChatSystemMessage line);
    bool append(TwitchChatMessage message);
    void insertRecent(const QList<TwitchChatMessage>& recent);

    void openStandby();
    void promoteStandby();
    void writePendingFrames();
    void dropUnconfirmed();
    void scheduleConfirmationCheck();
    qsizetype rateLimit() const;

    void scheduleRetry(const std::exception_ptr& error);
    void retry();
    void updateCountdown();
    void setConnectionState(TwitchChatConnectionState state);
    void finishRun(const std::exception_ptr& error);
    void endConnection(TwitchChatConnection* connection);
    void closeSockets();

    const TwitchEndpoints endpoints_;
    const TwitchUserAccessToken accessToken_;
    const QString channel_;
    TwitchChatTiming timing_;

    const std::unique_ptr<TwitchChatHistory> history_;
    QList<UserState> users_;
    std::optional<RoomState> room_;
    const std::unique_ptr<TwitchChatOutbox> outbox_;
    QTimer confirmationTimer_;

    SocketPointer socket_;
    // The connection opened on the service's RECONNECT, until it has joined.
    SocketPointer standby_;
    QPointer<TwitchChatConnection> connection_;
    TwitchChatConnectionState connectionState_;
    bool established_ = false; // the run's connection has been welcomed once
    int retries_ = 0; // tries since the last connection that lasted
    qsizetype liveCount_ = 0; // messages appended since the current connection was welcomed
    QTimer retryTimer_;
    QTimer countdownTimer_;
    QTimer stableTimer_;
};

} // namespace parley
