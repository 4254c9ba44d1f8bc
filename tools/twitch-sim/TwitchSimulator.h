#pragma once

#include "twitch-sim/CommunityStandIns.h"
#include "twitch-sim/HttpFault.h"
#include "twitch-sim/HttpReply.h"
#include "twitch-sim/SimModel.h"
#include "twitch-sim/SimModeration.h"
#include "twitch-sim/SimRequest.h"
#include "twitch-sim/SimResource.h"

#include <QHash>
#include <QObject>
#include <QUrl>

#include <memory>
#include <optional>
#include <variant>

class QAbstractHttpServer;
class QHttpServerRequest;
class QTcpSocket;

namespace parley::sim {

class SimChatService;
class SimHttpServer;

// A local stand-in for the Twitch services on 127.0.0.1, one port for all:
// the identity service (/oauth2/authorize, /oauth2/validate, POST
// /oauth2/revoke; the authorize page hands "state" back), the Helix emote
// catalogue (/helix/chat/emotes...), accounts (/helix/users?login=), the
// moderation endpoints (SimModeration), emote images (/emoticons/v2/ID/FORMAT/
// THEME/SCALE), test downloads (/blob/SIZE, files put in by tests), the
// community emote services' stand-ins (CommunityStandIns) and the recent chat
// service's (SimRecentMessages, fed by the chat service). It counts and
// records every request and misbehaves on demand (HttpFault: a fault on
// "/bttv/*" makes BetterTTV's API answer 404 or 500, say).
class TwitchSimulator : public QObject {
    Q_OBJECT
public:
    explicit TwitchSimulator(QObject* parent = nullptr);
    explicit TwitchSimulator(SimModel model, QObject* parent = nullptr);
    ~TwitchSimulator() override;

    // Listens on 127.0.0.1; port 0 picks a free one. Returns the port, 0 on failure.
    quint16 start(quint16 port = 0);
    quint16 port() const { return port_; }
    QUrl baseURL() const;
    QUrl identityURL() const { return baseURL(); }
    QUrl helixURL() const { return baseURL(); }
    QUrl chatURL() const;
    // The community services' stand-ins, as their bundle keys take them.
    QUrl betterTTVAPIURL() const { return serviceURL(QStringLiteral("/bttv/3")); }
    QUrl betterTTVCDNURL() const { return serviceURL(QStringLiteral("/bttv-cdn")); }
    QUrl frankerFaceZAPIURL() const { return serviceURL(QStringLiteral("/ffz/v1")); }
    QUrl sevenTVAPIURL() const { return serviceURL(QStringLiteral("/7tv/v3")); }
    // The recent chat service's stand-in (SimRecentMessages).
    QUrl recentMessagesURL() const { return serviceURL(QStringLiteral("/recent-messages")); }

    SimModel& model() { return model_; }
    const SimModel& model() const { return model_; }

    // The token /oauth2/authorize hands out (the demo token by default), or
    // an access_denied redirect while refusing.
    void setAuthorizationToken(const QString& token) { authorizationToken_ = token; }
    void setRefusesAuthorization(bool refuses) { refusesAuthorization_ = refuses; }

    // FORMAT "static", "animated" or "default"; THEME "light" or "dark";
    // SCALE "1.0", "2.0" or "3.0" (28, 56, 112 pixels).
    QUrl emoteImageURL(const QString& emoteID, const QString& format = QStringLiteral("static"),
        const QString& theme = QStringLiteral("light"), const QString& scale = QStringLiteral("1.0")) const;

    // A deterministic body of `size` bytes (different per seed), served with
    // validators and range support like an image.
    QUrl blobURL(qsizetype size, const QString& seed = {}) const;
    static QByteArray blobBody(qsizetype size, const QString& seed = {});
    static constexpr qsizetype maxBlobSize = 64 * 1024 * 1024;

    // Serves `resource` at `path`, in place of any built-in answer there (a
    // test's own catalogue body at /helix/chat/emotes/global, say).
    void putFile(const QString& path, SimResource resource);

    // Faults for a path ("/blob/50000"), or every path with a prefix
    // ("/emoticons/*"). A new fault for the same key replaces the old one.
    void setFault(const QString& path, HttpFault fault);
    void clearFault(const QString& path);
    void clearFaults();

    int requestCount(const QString& path) const;
    int totalRequestCount() const { return total_; }
    // The most recent requests (at most maxRecorded), oldest first.
    QList<SimRequest> requests() const { return recorded_; }
    void resetRequests();
    static constexpr qsizetype maxRecorded = 10000;

    // The listener, for services that take WebSocket upgrades on the same port.
    QAbstractHttpServer& httpServer();
    // The chat service, at chatURL().
    SimChatService& chat() { return *chat_; }

signals:
    void requestServed(const parley::sim::SimRequest& request, int status);

private:
    QUrl serviceURL(const QString& path) const;
    void handle(const QHttpServerRequest& request, QTcpSocket* socket);
    void record(const SimRequest& request);
    std::optional<HttpFault> takeFault(const QString& path);
    HttpReply route(const SimRequest& request);
    // The whole body as a 206 "from byte 0", whatever range was asked for.
    HttpReply rangeFromStart(const SimRequest& request);
    HttpReply authorize(const SimRequest& request);
    HttpReply validate(const SimRequest& request) const;
    HttpReply revoke(const SimRequest& request);
    HttpReply helix(const SimRequest& request) const;
    // The token of a Helix request, or the 401 Twitch gives without a usable one.
    std::variant<SimToken, HttpReply> helixToken(const SimRequest& request) const;
    HttpReply moderation(const SimRequest& request);
    HttpReply users(const SimRequest& request) const;
    HttpReply emoteImage(const SimRequest& request) const;
    HttpReply blob(const SimRequest& request) const;

    SimModel model_;
    std::unique_ptr<SimHttpServer> server_;
    std::unique_ptr<SimChatService> chat_;
    quint16 port_ = 0;
    QString authorizationToken_ = QString::fromLatin1(demo::token);
    bool refusesAuthorization_ = false;
    QHash<QString, SimResource> files_;
    QHash<QString, HttpFault> faults_;
    QHash<QString, int> counts_;
    int total_ = 0;
    QList<SimRequest> recorded_;
    mutable QHash<QString, QByteArray> imageCache_;
    CommunityStandIns community_;
    SimModeration moderation_;
};

} // namespace parley::sim
