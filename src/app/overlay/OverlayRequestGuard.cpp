#include "app/overlay/OverlayRequestGuard.h"

#include <QCryptographicHash>

namespace parley {

OverlayRequestGuard::OverlayRequestGuard(quint16 port, QString token) : port_(port), token_(token.toLatin1()) { }

QByteArray OverlayRequestGuard::basePath() const
{
    return QByteArrayLiteral("/overlay/") + token_;
}

bool OverlayRequestGuard::isOwnHost(const QByteArray& host) const
{
    const QByteArray port = QByteArray::number(port_);
    return host == "127.0.0.1:" + port || host.toLower() == "localhost:" + port;
}

OverlayRequestGuard::Decision OverlayRequestGuard::check(const QByteArray& host, const QByteArray& target) const
{
    const qsizetype query = target.indexOf('?');
    const QByteArray path = query < 0 ? target : target.left(query);
    if (!isOwnHost(host))
        return { Verdict::forbidden, {} };
    static const QByteArray prefix = QByteArrayLiteral("/overlay/");
    if (token_.isEmpty() || !path.startsWith(prefix))
        return { Verdict::notFound, {} };
    const qsizetype end = path.indexOf('/', prefix.size());
    const QByteArray token = path.mid(prefix.size(), end < 0 ? -1 : end - prefix.size());
    // Compared as digests, so the time taken tells nothing of how much matched.
    const auto digest = [](const QByteArray& bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    };
    if (digest(token) != digest(token_))
        return { Verdict::notFound, {} };
    return { Verdict::allowed, end < 0 ? QByteArray() : path.mid(end) };
}

} // namespace parley
