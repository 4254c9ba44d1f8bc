#pragma once

#include "twitch/chat/TwitchChatTiming.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <exception>
#include <memory>

class QWebSocket;

namespace parley {

// One WebSocket connection to the chat service with its time limits: the
// login frames go out once the socket opens, the service must welcome the
// client within the handshake limit, a silent connection is asked "PING" and
// must answer in time, and a peer that stops reading cannot make the client
// buffer without bound. It fails at most once, then stays closed. Main thread.
class TwitchChatSocket : public QObject {
    Q_OBJECT

public:
    // More than this waiting to be written means the peer stopped reading.
    static constexpr qint64 maxBufferedBytes = 1024 * 1024;

    TwitchChatSocket(QUrl url, QStringList loginFrames, const TwitchChatTiming& timing, QObject* parent = nullptr);
    ~TwitchChatSocket() override;

    void open();
    // Writes one text frame; does nothing once failed or before the socket opened.
    void send(const QString& frame);
    // The service's welcome arrived: the handshake limit ends, keep-alive starts.
    void markWelcomed();
    bool isWelcomed() const { return welcomed_; }

signals:
    void frameReceived(const QString& frame);
    // Once, with the socket's error or a time limit's.
    void failed(const std::exception_ptr& error);

private:
    void fail(const std::exception_ptr& error);
    void received(const QString& frame);
    void sendPing();

    const QUrl url_;
    const QStringList loginFrames_;
    const TwitchChatTiming timing_;
    std::unique_ptr<QWebSocket> socket_;
    QTimer handshakeTimer_;
    QTimer idleTimer_;
    QTimer pingAnswerTimer_;
    std::chrono::steady_clock::time_point lastActivity_;
    bool welcomed_ = false;
    bool failed_ = false;
};

} // namespace parley
