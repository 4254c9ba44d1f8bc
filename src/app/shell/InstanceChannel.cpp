#include "app/shell/InstanceChannel.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

namespace parley {

namespace {

QByteArray line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

InstanceChannel::InstanceChannel(QString bundleIdentifier, QObject* parent)
    : QObject(parent), bundleIdentifier_(std::move(bundleIdentifier))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::accept);
}

QString InstanceChannel::serverName(const QString& bundleIdentifier)
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return QDir(directory).filePath(bundleIdentifier + QStringLiteral(".socket"));
}

bool InstanceChannel::sendToRunningInstance(
    const QString& bundleIdentifier, const QList<QUrl>& urls, std::chrono::milliseconds timeout)
{
    const int timeoutMs = int(timeout.count());
    QLocalSocket socket;
    socket.connectToServer(serverName(bundleIdentifier));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QJsonArray list;
    for (const QUrl& url : urls)
        list.append(url.toString(QUrl::FullyEncoded));
    socket.write(line({ { QStringLiteral("open"), list } }));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return true;
}

bool InstanceChannel::listen()
{
    const QString name = serverName(bundleIdentifier_);
    // Listening with access options replaces the socket file, so ask first
    // whether an instance answers there; a file left by an instance that
    // crashed answers nobody and is replaced.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(500))
        return false;
    QLocalServer::removeServer(name);
    return server_.listen(name);
}

void InstanceChannel::accept()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
    }
}

void InstanceChannel::read(QLocalSocket* socket)
{
    while (socket->canReadLine())
        handle(socket, socket->readLine(maxRequestSize).trimmed());
    if (socket->bytesAvailable() > maxRequestSize)
        socket->disconnectFromServer();
}

void InstanceChannel::handle(QLocalSocket* socket, const QByteArray& request)
{
    const QJsonObject object = QJsonDocument::fromJson(request).object();
    QPointer<QLocalSocket> guarded(socket);
    const auto reply = [guarded](const QJsonObject& answer) {
        if (guarded)
            guarded->write(line(answer));
    };
    if (object.contains(QStringLiteral("open"))) {
        QList<QUrl> urls;
        for (const QJsonValue& value : object.value(QStringLiteral("open")).toArray())
            if (const QUrl url(value.toString(), QUrl::StrictMode); url.isValid() && !url.isRelative())
                urls.append(url);
        reply({ { QStringLiteral("ok"), true } });
        emit urlsOpened(urls);
        return;
    }
    if (requestHandler_) {
        requestHandler_(object, reply);
        return;
    }
    reply({ { QStringLiteral("ok"), false }, { QStringLiteral("error"), QStringLiteral("unknown request") } });
}

} // namespace parley
