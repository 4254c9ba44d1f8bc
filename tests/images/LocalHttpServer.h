#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>

namespace parley::test {

// A minimal HTTP/1.1 server on 127.0.0.1 for data-loader tests that need
// byte-exact control of a response: a handler answers each request, and a
// response may stop after a number of body bytes to simulate a dropped
// connection. Lives on the thread that creates it.
class LocalHttpServer : public QObject {
public:
    struct Request {
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // lower-case names
    };
    struct Response {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        qsizetype dropAfter = -1; // close after this many body bytes
        bool isHeld = false; // never answer
    };
    using Handler = std::function<Response(const Request&)>;

    explicit LocalHttpServer(Handler handler) : handler_(std::move(handler))
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }

    QUrl url(const QByteArray& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QString::fromLatin1(path)));
    }
    int requestCount() const { return requests_.size(); }
    const QList<Request>& requests() const { return requests_; }

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.remove(0, end + 4);
        Request request;
        request.path = lines.value(0).split(' ').value(1);
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        requests_.append(request);
        respond(socket, handler_(request));
    }

    void respond(QTcpSocket* socket, const Response& response)
    {
        if (response.isHeld)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        for (const auto& [name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        socket->write(head + "\r\n");
        if (response.dropAfter >= 0) {
            socket->write(response.body.left(response.dropAfter));
            socket->flush();
            socket->disconnectFromHost();
            return;
        }
        socket->write(response.body);
    }

    Handler handler_;
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    QList<Request> requests_;
};

} // namespace parley::test
