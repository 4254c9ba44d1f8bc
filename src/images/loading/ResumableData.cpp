#include "images/loading/ResumableData.h"

namespace parley {

std::optional<ResumableData> ResumableData::capture(const UrlResponse& response, const QByteArray& data)
{
    if (data.isEmpty() || !response.isHttp() || data.size() >= response.expectedContentLength)
        return std::nullopt;
    if (response.statusCode != 200 && response.statusCode != 206)
        return std::nullopt;
    if (response.header("Accept-Ranges").toLower() != "bytes")
        return std::nullopt;
    // Header names compare case-insensitively, so "ETag" also finds "Etag".
    QByteArray validator = response.header("ETag");
    if (validator.isEmpty())
        validator = response.header("Last-Modified");
    if (validator.isEmpty())
        return std::nullopt;
    return ResumableData { data, QString::fromLatin1(validator) };
}

void ResumableData::applyTo(QNetworkRequest& request) const
{
    request.setRawHeader("Range", "bytes=" + QByteArray::number(data.size()) + '-');
    request.setRawHeader("If-Range", validator.toLatin1());
}

} // namespace parley
