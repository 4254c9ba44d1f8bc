#pragma once

#include <QJsonObject>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>

class QLocalSocket;

namespace parley {

// One Parley per user and bundle: the first instance listens on a local
// socket in the user's runtime directory; a later `parley URL` (the browser's
// handler for the redirect address) hands its URLs to it and ends. Each
// request is one line of JSON, each answer too:
//   {"open": ["URL", ...]}  ->  {"ok": true}
// Requests of other kinds go to the request handler, if one is set.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    // Answers a request that is not "open"; returns the answer object.
    using RequestHandler = std::function<void(const QJsonObject& request, std::function<void(QJsonObject)> reply)>;

    explicit InstanceChannel(QString bundleIdentifier, QObject* parent = nullptr);

    // The socket's path for a bundle identifier.
    static QString serverName(const QString& bundleIdentifier);

    // Hands `urls` to the running instance. False when there is none (or it
    // did not answer within `timeout`).
    static bool sendToRunningInstance(const QString& bundleIdentifier, const QList<QUrl>& urls,
        std::chrono::milliseconds timeout = std::chrono::seconds(3));

    // Becomes the running instance. False when the socket cannot be made.
    bool listen();

    void setRequestHandler(RequestHandler handler) { requestHandler_ = std::move(handler); }

    static constexpr qsizetype maxRequestSize = 64 * 1024;

signals:
    void urlsOpened(const QList<QUrl>& urls);

private:
    void accept();
    void read(QLocalSocket* socket);
    void handle(QLocalSocket* socket, const QByteArray& line);

    const QString bundleIdentifier_;
    QLocalServer server_;
    RequestHandler requestHandler_;
};

} // namespace parley
