#include "app/overlay/OverlayServer.h"

#include "app/overlay/OverlayFeed.h"
#include "app/overlay/OverlayHttpRequest.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrl>

// The page's files live in this static library's resources.
static void initOverlayResources()
{
    Q_INIT_RESOURCE(overlay);
}

namespace parley {
namespace {

const QByteArray securityHeaders = "Content-Security-Policy: default-src 'self'; img-src 'self'\r\n"
                                   "X-Content-Type-Options: nosniff\r\n"
                                   "Referrer-Policy: no-referrer\r\n";

QByteArray head(const QByteArray& status, const QByteArray& headers)
{
    return "HTTP/1.1 " + status + "\r\n" + securityHeaders + headers;
}

// A whole answer; the connection closes after it.
void respond(QTcpSocket* socket, const QByteArray& status, const QByteArray& type, const QByteArray& body,
    const QByteArray& extraHeaders = {})
{
    socket->write(head(status,
        "Content-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) +
            "\r\nConnection: close\r\n" + extraHeaders + "\r\n"));
    socket->write(body);
    socket->disconnectFromHost();
}

void respondError(QTcpSocket* socket, const QByteArray& status, const QByteArray& extraHeaders = {})
{
    respond(socket, status, "text/plain; charset=utf-8", status + "\n", extraHeaders);
}

QByteArray resourceFile(const QString& name)
{
    QFile file(QStringLiteral(":/parley/overlay/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

OverlayServer::OverlayServer(OverlayFeed& feed, ImageSource images, QObject* parent)
    : QObject(parent), feed_(feed), images_(std::move(images))
{
    initOverlayResources();
    connect(&server_, &QTcpServer::newConnection, this, &OverlayServer::accept);
    connect(&feed_, &OverlayFeed::eventPublished, this, &OverlayServer::broadcast);
    keepAliveTimer_.setInterval(keepAliveInterval);
    connect(&keepAliveTimer_, &QTimer::timeout, this, &OverlayServer::keepAlive);
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(flushInterval);
    connect(&flushTimer_, &QTimer::timeout, this, &OverlayServer::flush);
}

bool OverlayServer::listen(const OverlayOptions& options)
{
    const int attempts = options.port == 0 ? 1 : portsTried;
    for (int attempt = 0; attempt < attempts && !server_.isListening(); ++attempt) {
        const int port = options.port == 0 ? 0 : options.port + attempt;
        if (port <= 65535)
            server_.listen(QHostAddress::LocalHost, quint16(port));
    }
    if (!server_.isListening())
        return false;
    setOptions(options);
    keepAliveTimer_.start();
    return true;
}

void OverlayServer::setOptions(const OverlayOptions& options)
{
    const bool newToken = options.token != options_.token;
    options_ = options;
    guard_ = OverlayRequestGuard(port(), options.token);
    if (newToken) {
        for (const QPointer<QTcpSocket>& stream : std::exchange(streams_, {}))
            if (stream)
                stream->abort();
        return;
    }
    broadcast(optionsEvent());
}

QString OverlayServer::address() const
{
    if (!server_.isListening())
        return {};
    return QStringLiteral("http://127.0.0.1:%1").arg(port()) + QString::fromLatin1(guard_.basePath());
}

QString OverlayServer::imagePath(const QString& key) const
{
    return QString::fromLatin1(guard_.basePath() + "/image/" + QUrl::toPercentEncoding(key));
}

void OverlayServer::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // A connection that does not finish its request, or take its answer, in time does not stay.
        QTimer::singleShot(requestTimeout, socket, [this, socket] {
            if (!streams_.contains(socket) && socket->state() != QAbstractSocket::UnconnectedState)
                socket->abort();
        });
    }
}

void OverlayServer::readRequest(QTcpSocket* socket)
{
    const QByteArray buffered = socket->peek(OverlayHttpRequest::maxHeadSize + 4);
    const std::optional<OverlayHttpRequest> request = OverlayHttpRequest::parse(buffered);
    if (!request)
        return;
    // One request per connection: whatever follows it is read and dropped.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    socket->readAll();
    answer(socket, *request);
}

void OverlayServer::answer(QTcpSocket* socket, const OverlayHttpRequest& request)
{
    using Problem = OverlayHttpRequest::Problem;
    switch (request.problem) {
    case Problem::tooLarge:
        return respondError(socket, "431 Request Header Fields Too Large");
    case Problem::malformed:
        return respondError(socket, "400 Bad Request");
    case Problem::notGet:
        return respondError(socket, "405 Method Not Allowed", "Allow: GET\r\n");
    case Problem::none:
        break;
    }
    const OverlayRequestGuard::Decision decision = guard_.check(request.host, request.target);
    switch (decision.verdict) {
    case OverlayRequestGuard::Verdict::forbidden:
        return respondError(socket, "403 Forbidden");
    case OverlayRequestGuard::Verdict::notFound:
        return respondError(socket, "404 Not Found");
    case OverlayRequestGuard::Verdict::allowed:
        return serve(socket, decision.resource);
    }
}

void OverlayServer::serve(QTcpSocket* socket, const QByteArray& resource)
{
    static const QByteArray noStore = "Cache-Control: no-store\r\n";
    if (resource.isEmpty()) {
        const QByteArray page = resourceFile(QStringLiteral("overlay.html")).replace("@BASE@", guard_.basePath());
        return respond(socket, "200 OK", "text/html; charset=utf-8", page, noStore);
    }
    if (resource == "/overlay.js")
        return respond(socket, "200 OK", "text/javascript; charset=utf-8", resourceFile("overlay.js"), noStore);
    if (resource == "/overlay.css")
        return respond(socket, "200 OK", "text/css; charset=utf-8", resourceFile("overlay.css"), noStore);
    if (resource == "/events")
        return startStream(socket);
    static const QByteArray imagePrefix = "/image/";
    if (resource.startsWith(imagePrefix)) {
        const QImage image = images_(QUrl::fromPercentEncoding(resource.mid(imagePrefix.size())));
        if (image.isNull())
            return respondError(socket, "404 Not Found", noStore);
        return respond(socket, "200 OK", "image/png", pngBytes(image), "Cache-Control: private, max-age=86400\r\n");
    }
    respondError(socket, "404 Not Found");
}

void OverlayServer::startStream(QTcpSocket* socket)
{
    socket->write(head("200 OK", "Content-Type: text/event-stream; charset=utf-8\r\nCache-Control: no-store\r\n\r\n"));
    // EventSource connects again on its own after this long when the stream breaks.
    // What the others still wait for is in the replay already: it goes to them first.
    flush();
    socket->write("retry: 2000\n\n" + optionsEvent() + "event: reset\ndata: 1\n\n" + feed_.replay());
    streams_.append(socket);
    connect(socket, &QObject::destroyed, this, [this] { streams_.removeAll(nullptr); });
}

void OverlayServer::broadcast(const QByteArray& event)
{
    if (streams_.isEmpty())
        return;
    pending_ += event;
    if (!flushTimer_.isActive())
        flushTimer_.start();
}

void OverlayServer::flush()
{
    flushTimer_.stop();
    for (const QPointer<QTcpSocket>& stream : std::as_const(streams_)) {
        if (!stream)
            continue;
        if (stream->bytesToWrite() > maxPendingBytes)
            stream->abort();
        else
            stream->write(pending_);
    }
    pending_.clear();
}

void OverlayServer::keepAlive()
{
    broadcast(": keep-alive\n\n");
}

QByteArray OverlayServer::optionsEvent() const
{
    const QJsonObject options {
        { "fontScale", options_.fontScale },
        { "messageLifetime", qint64(options_.messageLifetime.count()) },
        { "hideBadges", options_.hideBadges },
    };
    return "event: options\ndata: " + QJsonDocument(options).toJson(QJsonDocument::Compact) + "\n\n";
}

} // namespace parley
