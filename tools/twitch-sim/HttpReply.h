#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <utility>

namespace parley::sim {

// An HTTP answer the simulator writes itself, so that it can also write it
// wrongly on purpose (see HttpFault).
struct HttpReply {
    int status = 200;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    static HttpReply json(const QJsonObject& object, int status = 200);
    // Twitch's error body: {"error": reason, "status": n, "message": text}.
    static HttpReply error(int status, const QString& message);
    static HttpReply redirect(const QUrl& location);

    QByteArray header(const QByteArray& name) const;
    void setHeader(const QByteArray& name, const QByteArray& value);

    // Status line and headers, with Content-Length for `bodyLength` bytes
    // (none when negative: the body ends when the connection closes).
    QByteArray head(qint64 bodyLength) const;

    static QByteArray reasonPhrase(int status);
};

} // namespace parley::sim
