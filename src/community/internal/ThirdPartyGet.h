#pragma once

#include "community/ThirdPartyLimits.h"

#include <QByteArray>
#include <QFuture>
#include <QNetworkAccessManager>
#include <QUrl>

#include <exception>

namespace parley {

// An HTTP answer of a third-party service, read whole within the limits.
struct ThirdPartyAnswer {
    int status = 0;
    QByteArray body;
};

// The errors a caller gives for what it cannot use: an answer over the size
// limit, one that asks for credentials, one that is not HTTP.
struct ThirdPartyFailures {
    std::exception_ptr tooLarge;
    std::exception_ptr authentication;
    std::exception_ptr notHTTP;
};

// A GET of `url` that sends nothing of the user's (no cookies, no cached
// credentials, no redirect to a less safe address) and reads the answer as
// it arrives, so the running total stops an endless body. Any status comes
// back with its body; a broken or timed-out transfer fails with
// TransportError, the rest with `failures`. Completes on the main thread.
QFuture<ThirdPartyAnswer> thirdPartyGet(QNetworkAccessManager& network, const QUrl& url,
    const QList<std::pair<QByteArray, QByteArray>>& headers, const ThirdPartyLimits& limits,
    const ThirdPartyFailures& failures);

} // namespace parley
