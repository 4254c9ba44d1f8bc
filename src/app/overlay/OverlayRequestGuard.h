#pragma once

#include <QByteArray>
#include <QString>

namespace parley {

// Decides whether a request may see the overlay. Only requests addressed to
// this machine by name (a page elsewhere that points its own host name at
// 127.0.0.1 sends its own name, and is refused) and carrying the token get
// through.
class OverlayRequestGuard {
public:
    enum class Verdict { allowed, forbidden, notFound };
    struct Decision {
        Verdict verdict = Verdict::notFound;
        // The path after "/overlay/TOKEN" ("", "/events", "/image/KEY"), when allowed.
        QByteArray resource;
    };

    OverlayRequestGuard(quint16 port, QString token);

    // `host` is the request's Host header, `target` its target as sent (a query is ignored).
    Decision check(const QByteArray& host, const QByteArray& target) const;

    // "/overlay/TOKEN" (no trailing slash).
    QByteArray basePath() const;

private:
    bool isOwnHost(const QByteArray& host) const;

    quint16 port_;
    QByteArray token_;
};

} // namespace parley
