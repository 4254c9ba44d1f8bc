#pragma once

#include "twitch-sim/HttpReply.h"
#include "twitch-sim/SimRequest.h"

#include <QByteArray>
#include <QDateTime>

namespace parley::sim {

// A downloadable body (an emote image, a test file) served the way a CDN
// serves it: validators, caching headers, conditional and range requests.
struct SimResource {
    QByteArray body;
    QByteArray contentType;
    QDateTime lastModified = defaultLastModified();
    QByteArray cacheControl = "public, max-age=3600";

    // A strong validator derived from the body.
    QByteArray etag() const;

    // 200 with the whole body; 206 with a single requested range (when an
    // If-Range validator matches or is absent); 416 for a range past the end;
    // 304 when If-None-Match names the current ETag.
    HttpReply serve(const SimRequest& request) const;

    static QDateTime defaultLastModified();
    static QByteArray httpDate(const QDateTime& time);
};

} // namespace parley::sim
