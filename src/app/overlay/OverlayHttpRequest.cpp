#include "app/overlay/OverlayHttpRequest.h"

#include <QList>

namespace parley {
namespace {

using Problem = OverlayHttpRequest::Problem;

OverlayHttpRequest refused(Problem problem)
{
    OverlayHttpRequest request;
    request.problem = problem;
    return request;
}

bool isToken(const QByteArray& word)
{
    return !word.isEmpty() &&
        std::all_of(word.begin(), word.end(), [](char c) { return c > ' ' && c < 127 && c != ':'; });
}

// Reads the header lines into `request`; false when one breaks the rules.
bool readHeaders(const QList<QByteArray>& lines, OverlayHttpRequest& request)
{
    bool hasHost = false;
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            return false;
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "host") {
            if (hasHost)
                return false;
            hasHost = true;
            request.host = value;
        }
        // A GET here carries no body; one that says it does is not ours to guess at.
        if (name == "transfer-encoding" || (name == "content-length" && value != "0"))
            return false;
    }
    return hasHost;
}

} // namespace

std::optional<OverlayHttpRequest> OverlayHttpRequest::parse(const QByteArray& buffer)
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return buffer.size() > maxHeadSize ? std::optional(refused(Problem::tooLarge)) : std::nullopt;
    if (end > maxHeadSize)
        return refused(Problem::tooLarge);
    QList<QByteArray> lines = buffer.left(end).split('\n');
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r') && &line != &lines.last())
            return refused(Problem::malformed);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('\r'))
            return refused(Problem::malformed);
    }
    const QList<QByteArray> requestLine = lines.takeFirst().split(' ');
    if (requestLine.size() != 3 || requestLine[2] != "HTTP/1.1" || !requestLine[1].startsWith('/'))
        return refused(Problem::malformed);
    OverlayHttpRequest request;
    request.method = requestLine[0];
    request.target = requestLine[1];
    if (!readHeaders(lines, request))
        return refused(Problem::malformed);
    if (request.method != "GET")
        request.problem = Problem::notGet;
    return request;
}

} // namespace parley
