#pragma once

#include <QAbstractHttpServer>
#include <QHttpServerResponder>
#include <QUrl>

namespace parley {

// Receives the browser's return to an http://localhost redirect address: a
// listener on 127.0.0.1 at the redirect address's port that serves a small
// page at the redirect path. The page's script posts its own address back
// (the access token is in the fragment, which browsers never send), and the
// listener announces the redirect address with that query and fragment.
//
// Untrusted input: only requests naming this listener as their host are
// served (no other site can reach it by renaming itself), a post must come
// from the page itself, and bodies are bounded.
class LoopbackRedirectListener : public QAbstractHttpServer {
    Q_OBJECT

public:
    explicit LoopbackRedirectListener(QUrl redirectURL, QObject* parent = nullptr);

    // Whether `redirectURL` is an address this listener can serve:
    // http://localhost or http://127.0.0.1 with a port.
    static bool canServe(const QUrl& redirectURL);

    // Listens on 127.0.0.1 at the redirect address's port; false when the
    // address cannot be served or the port is taken.
    bool start();

    static constexpr qsizetype maxBodySize = 16 * 1024;
    static inline const QString receivePath = QStringLiteral("/parley-redirect");

signals:
    void redirectReceived(const QUrl& redirectURL);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    static void answer(const QHttpServerRequest& request, QTcpSocket* socket, QHttpServerResponder::StatusCode status,
        const QByteArray& body = {}, const QByteArray& mimeType = "text/plain; charset=utf-8");
    bool isOwnHost(const QByteArray& host) const;
    bool isOwnOrigin(const QByteArray& origin) const;
    // Where the page is served: the redirect address's path.
    QString pagePath() const;
    std::optional<QUrl> redirectFrom(const QByteArray& pageAddress) const;

    const QUrl redirectURL_;
};

} // namespace parley
