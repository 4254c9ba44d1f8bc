#include "app/shell/LoopbackRedirectListener.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>

namespace parley {

namespace {

// Posts the address the browser landed on, query and fragment included, to
// the listener, then says where to go next.
const char page[] = R"(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Parley</title>
<style>body{font-family:sans-serif;background:#3a1530;color:#fff;display:flex;align-items:center;
justify-content:center;height:90vh;margin:0}p{font-size:15px}</style></head>
<body><p id="status">Signing in to Parley…</p>
<script>
fetch("/parley-redirect", { method: "POST", headers: { "Content-Type": "text/plain" }, body: location.href })
  .then(function (answer) {
    document.getElementById("status").textContent = answer.ok
      ? "You are signed in. You can close this tab and return to Parley."
      : "Parley could not take this sign-in. Try again from Parley.";
    history.replaceState(null, "", location.pathname);
  })
  .catch(function () {
    document.getElementById("status").textContent = "Parley is not waiting for a sign-in any more.";
  });
</script></body></html>
)";

} // namespace

void LoopbackRedirectListener::answer(const QHttpServerRequest& request, QTcpSocket* socket,
    QHttpServerResponder::StatusCode status, const QByteArray& body, const QByteArray& mimeType)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(body,
        { { "Content-Type", mimeType }, { "Cache-Control", "no-store" }, { "Referrer-Policy", "no-referrer" } },
        status);
}

LoopbackRedirectListener::LoopbackRedirectListener(QUrl redirectURL, QObject* parent)
    : QAbstractHttpServer(parent), redirectURL_(std::move(redirectURL))
{ }

bool LoopbackRedirectListener::canServe(const QUrl& redirectURL)
{
    const QString host = redirectURL.host();
    return redirectURL.scheme() == QLatin1String("http") && redirectURL.port() > 0 &&
        (host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1"));
}

bool LoopbackRedirectListener::start()
{
    return canServe(redirectURL_) && listen(QHostAddress::LocalHost, quint16(redirectURL_.port())) != 0;
}

bool LoopbackRedirectListener::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (!isOwnHost(request.value("host"))) {
        answer(request, socket, QHttpServerResponder::StatusCode::Forbidden);
        return true;
    }
    const QString path = request.url().path();
    if (request.method() == QHttpServerRequest::Method::Get && path == pagePath()) {
        answer(request, socket, QHttpServerResponder::StatusCode::Ok, QByteArray(page), "text/html; charset=utf-8");
        return true;
    }
    if (request.method() == QHttpServerRequest::Method::Post && path == receivePath) {
        const std::optional<QUrl> redirect = isOwnOrigin(request.value("origin")) ? redirectFrom(request.body())
                                                                                  : std::nullopt;
        if (!redirect) {
            answer(request, socket, QHttpServerResponder::StatusCode::BadRequest);
            return true;
        }
        answer(request, socket, QHttpServerResponder::StatusCode::Ok);
        emit redirectReceived(*redirect);
        return true;
    }
    answer(request, socket, QHttpServerResponder::StatusCode::NotFound);
    return true;
}

void LoopbackRedirectListener::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    answer(request, socket, QHttpServerResponder::StatusCode::NotFound);
}

bool LoopbackRedirectListener::isOwnHost(const QByteArray& host) const
{
    const QByteArray port = QByteArray::number(redirectURL_.port());
    return host == "localhost:" + port || host == "127.0.0.1:" + port;
}

bool LoopbackRedirectListener::isOwnOrigin(const QByteArray& origin) const
{
    // Browsers send the page's origin with a post; a client that is not a
    // browser may send none.
    if (origin.isEmpty())
        return true;
    const QByteArray scheme = "http://";
    return origin.startsWith(scheme) && isOwnHost(origin.mid(scheme.size()));
}

QString LoopbackRedirectListener::pagePath() const
{
    return redirectURL_.path().isEmpty() ? QStringLiteral("/") : redirectURL_.path();
}

std::optional<QUrl> LoopbackRedirectListener::redirectFrom(const QByteArray& pageAddress) const
{
    if (pageAddress.size() > maxBodySize)
        return std::nullopt;
    const QUrl landed(QString::fromUtf8(pageAddress), QUrl::StrictMode);
    if (!landed.isValid() || !isOwnHost(landed.authority().toUtf8()) ||
        (landed.path().isEmpty() ? QStringLiteral("/") : landed.path()) != pagePath())
        return std::nullopt;
    QUrl redirect = redirectURL_;
    redirect.setQuery(landed.query(QUrl::FullyEncoded), QUrl::StrictMode);
    redirect.setFragment(landed.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return redirect;
}

} // namespace parley
