#include "images/model/URLResponse.h"

#include <QNetworkReply>

namespace parley {

URLResponse URLResponse::fromReply(const QNetworkReply& reply)
{
    URLResponse response;
    response.url = reply.url();
    response.statusCode = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    response.headers = reply.rawHeaderPairs();
    bool ok = false;
    const qint64 length = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    response.expectedContentLength = ok && length >= 0 ? length : -1;
    response.isFromCache = reply.attribute(QNetworkRequest::SourceIsFromCacheAttribute).toBool();
    return response;
}

QByteArray URLResponse::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers)
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool URLResponse::hasHeader(QByteArrayView name) const
{
    for (const auto& pair : headers)
        if (name.compare(pair.first, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace parley
