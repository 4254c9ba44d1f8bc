#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

class QNetworkReply;

namespace parley {

// The metadata of a URL load's response, copied out of the network reply so it
// can travel between threads: the final URL, the HTTP status (0 when the
// response is not HTTP), the headers as received, and the length the body is
// expected to have (-1 when the server did not say).
struct URLResponse {
    QUrl url;
    int statusCode = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    qint64 expectedContentLength = -1;
    // Answered by the disk HTTP cache rather than the network.
    bool isFromCache = false;

    static URLResponse fromReply(const QNetworkReply& reply);

    bool isHttp() const { return statusCode > 0; }

    // The first header of that name (names compare case-insensitively), or an
    // empty array.
    QByteArray header(QByteArrayView name) const;
    bool hasHeader(QByteArrayView name) const;
};

} // namespace parley
