#pragma once

#include "app/overlay/OverlayOptions.h"
#include "app/overlay/OverlayRequestGuard.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
#include <functional>

class QTcpSocket;

namespace parley {

class OverlayFeed;
struct OverlayHttpRequest;

// Serves the chat overlay on 127.0.0.1 only: the page at /overlay/TOKEN, its
// script and style, the images the feed's messages show and the feed itself
// as server-sent events. GET only; a request addressed to another host is
// refused (403), one without the token is not found (404). Nothing it logs
// carries the token. Main thread only.
class OverlayServer : public QObject {
    Q_OBJECT

public:
    // An image the session has loaded, by its key; null when there is none.
    using ImageSource = std::function<QImage(const QString& key)>;

    static constexpr int portsTried = 20;
    static constexpr std::chrono::seconds keepAliveInterval { 15 };
    // Events go out together at most this often: in a busy chat one write
    // carries many messages instead of one each.
    static constexpr std::chrono::milliseconds flushInterval { 100 };
    static constexpr std::chrono::seconds requestTimeout { 10 };
    // A page that reads slower than the chat arrives is let go past this.
    static constexpr qint64 maxPendingBytes = 1024 * 1024;

    // `feed` must outlive the server.
    OverlayServer(OverlayFeed& feed, ImageSource images, QObject* parent = nullptr);

    // Listens at `port`, or at the next free one of `portsTried`; 0 picks any
    // free port. The token and the page's options come from `options`.
    bool listen(const OverlayOptions& options);
    // The page's options; a new token ends the pages that used the old one.
    void setOptions(const OverlayOptions& options);

    quint16 port() const { return server_.serverPort(); }
    // http://127.0.0.1:PORT/overlay/TOKEN; empty while not listening.
    QString address() const;
    // Where the page finds the image of `key`: /overlay/TOKEN/image/KEY.
    QString imagePath(const QString& key) const;
    qsizetype streamCount() const { return streams_.size(); }

private:
    void accept();
    void readRequest(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const OverlayHttpRequest& request);
    void serve(QTcpSocket* socket, const QByteArray& resource);
    void startStream(QTcpSocket* socket);
    void broadcast(const QByteArray& event);
    void flush();
    void keepAlive();
    QByteArray optionsEvent() const;

    OverlayFeed& feed_;
    ImageSource images_;
    QTcpServer server_;
    OverlayOptions options_;
    OverlayRequestGuard guard_ { 0, {} };
    QList<QPointer<QTcpSocket>> streams_;
    QTimer keepAliveTimer_;
    QByteArray pending_;
    QTimer flushTimer_;
};

} // namespace parley
