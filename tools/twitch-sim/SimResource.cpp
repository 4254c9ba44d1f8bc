#include "twitch-sim/SimResource.h"

#include <QCryptographicHash>
#include <QLocale>

#include <optional>
#include <utility>

namespace parley::sim {
namespace {

// A single byte range "bytes=first-last", "bytes=first-" or "bytes=-suffix",
// resolved against the body size. nullopt: not a range we honour (ignored,
// as HTTP allows); an empty pair (first > last): unsatisfiable.
std::optional<std::pair<qsizetype, qsizetype>> parseRange(const QByteArray& header, qsizetype size)
{
    if (!header.startsWith("bytes=") || header.contains(','))
        return std::nullopt;
    const QByteArray spec = header.mid(6).trimmed();
    const qsizetype dash = spec.indexOf('-');
    if (dash < 0)
        return std::nullopt;
    bool firstOk = false;
    bool lastOk = false;
    const qlonglong first = spec.left(dash).toLongLong(&firstOk);
    const qlonglong last = spec.mid(dash + 1).toLongLong(&lastOk);
    if (dash == 0) {
        if (!lastOk || last < 0)
            return std::nullopt;
        if (last == 0 || size == 0)
            return std::pair<qsizetype, qsizetype>(1, 0);
        return std::pair<qsizetype, qsizetype>(std::max<qlonglong>(0, size - last), size - 1);
    }
    if (!firstOk || first < 0 || (dash + 1 < spec.size() && (!lastOk || last < first)))
        return std::nullopt;
    if (first >= size)
        return std::pair<qsizetype, qsizetype>(1, 0);
    const qsizetype end = dash + 1 < spec.size() ? std::min<qlonglong>(last, size - 1) : size - 1;
    return std::pair<qsizetype, qsizetype>(first, end);
}

} // namespace

QByteArray SimResource::etag() const
{
    return '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(20) + '"';
}

HttpReply SimResource::serve(const SimRequest& request) const
{
    const QByteArray tag = etag();
    const QByteArray modified = httpDate(lastModified);
    HttpReply reply { 200,
        { { "Content-Type", contentType }, { "ETag", tag }, { "Last-Modified", modified },
            { "Cache-Control", cacheControl }, { "Accept-Ranges", "bytes" } },
        body };
    if (request.header("If-None-Match") == tag) {
        reply.status = 304;
        reply.body.clear();
        return reply;
    }
    const QByteArray range = request.header("Range");
    const QByteArray ifRange = request.header("If-Range");
    if (range.isEmpty() || (!ifRange.isEmpty() && ifRange != tag && ifRange != modified))
        return reply;
    const auto bytes = parseRange(range, body.size());
    if (!bytes)
        return reply;
    if (bytes->first > bytes->second) {
        reply.status = 416;
        reply.body.clear();
        reply.setHeader("Content-Range", "bytes */" + QByteArray::number(body.size()));
        return reply;
    }
    reply.status = 206;
    reply.body = body.mid(bytes->first, bytes->second - bytes->first + 1);
    reply.setHeader("Content-Range",
        "bytes " + QByteArray::number(bytes->first) + '-' + QByteArray::number(bytes->second) + '/' +
            QByteArray::number(body.size()));
    return reply;
}

QDateTime SimResource::defaultLastModified()
{
    return QDateTime(QDate(2025, 1, 1), QTime(12, 0), Qt::UTC);
}

QByteArray SimResource::httpDate(const QDateTime& time)
{
    return QLocale::c().toString(time.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
}

} // namespace parley::sim
