#include "images/loading/ResumableData.h"

#include <QRegularExpression>

namespace parley {

std::optional<ResumableData::ContentRange> ResumableData::contentRange(const URLResponse& response)
{
    static const QRegularExpression pattern(QStringLiteral("^bytes\\s+(\\d{1,18})-(\\d{1,18})/(\\d{1,18}|\\*)$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(QString::fromLatin1(response.header("Content-Range").trimmed()));
    if (!match.hasMatch())
        return std::nullopt;
    ContentRange range { match.captured(1).toLongLong(), match.captured(2).toLongLong(), -1 };
    if (match.captured(3) != QLatin1String("*"))
        range.total = match.captured(3).toLongLong();
    if (range.last < range.first || (range.total >= 0 && range.last >= range.total))
        return std::nullopt;
    return range;
}

std::optional<ResumableData> ResumableData::capture(const URLResponse& response, const QByteArray& data)
{
    if (response.statusCode != 200 && response.statusCode != 206)
        return std::nullopt;
    qint64 total = response.expectedContentLength;
    if (response.statusCode == 206) {
        const auto range = contentRange(response);
        total = range ? range->total : -1;
    }
    if (data.isEmpty() || data.size() >= total)
        return std::nullopt;
    if (response.header("Accept-Ranges").toLower() != "bytes")
        return std::nullopt;
    // Header names compare case-insensitively, so "ETag" also finds "Etag".
    QByteArray validator = response.header("ETag");
    if (validator.isEmpty())
        validator = response.header("Last-Modified");
    if (validator.isEmpty())
        return std::nullopt;
    return ResumableData { data, QString::fromLatin1(validator), total };
}

bool ResumableData::isContinuedBy(const URLResponse& response) const
{
    if (response.statusCode != 206)
        return false;
    const auto range = contentRange(response);
    return range && range->first == data.size() && range->total >= 0 && range->total == totalLength;
}

void ResumableData::applyTo(QNetworkRequest& request) const
{
    request.setRawHeader("Range", "bytes=" + QByteArray::number(data.size()) + '-');
    request.setRawHeader("If-Range", validator.toLatin1());
}

} // namespace parley
