#pragma once

#include "twitch/api/TwitchAuthScope.h"
#include "twitch/api/TwitchBadgeSet.h"
#include "twitch/api/TwitchEmoteSet.h"
#include "twitch/api/TwitchEndpoints.h"
#include "twitch/api/TwitchError.h"
#include "twitch/api/TwitchUserAccessToken.h"
#include "twitch/api/TwitchUserInfo.h"

#include <QFuture>
#include <QList>
#include <QNetworkAccessManager>
#include <QSet>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

class QNetworkRequest;

namespace parley {

// The client of the Twitch identity service and Helix API. It holds only
// configuration (copies share one network manager) and every operation is
// independent. Use it from the main thread; futures complete there and fail
// with TwitchError (an unusable status), TransportError, DecodingError or
// InvalidRequestError.
class TwitchAPI {
public:
    TwitchAPI(TwitchEndpoints endpoints, QString clientID, QUrl authRedirectURL,
        std::shared_ptr<QNetworkAccessManager> network = std::make_shared<QNetworkAccessManager>());

    const TwitchEndpoints& endpoints() const { return endpoints_; }
    const QString& clientID() const { return clientID_; }
    const QUrl& authRedirectURL() const { return authRedirectURL_; }

    // The browser address that starts the implicit-grant sign-in. A non-empty
    // `state` is sent as the last item; the service hands it back with the
    // redirect, which lets the caller tell its own sign-in from a forged one.
    QUrl authorizationURL(const QSet<TwitchAuthScope>& scopes, const QString& state = {}) const;

    // Validates the access token the redirect carries in its fragment; no
    // token (and no error) when it carries none.
    QFuture<std::optional<TwitchUserAccessToken>> userAccessToken(const QUrl& redirect) const;
    // The raw access_token value of a redirect, if it has one.
    static std::optional<QString> accessToken(const QUrl& redirect);
    // The first value named `name` in the redirect's fragment or query (the
    // implicit grant answers in the fragment, a refusal in the query).
    static std::optional<QString> redirectValue(const QUrl& redirect, QStringView name);
    // Whether `url` is the registered redirect address: same scheme, host,
    // port and path (an empty path is "/"); query and fragment aside.
    bool isAuthRedirect(const QUrl& url) const;

    QFuture<TwitchUserAccessToken> validate(const QString& token) const;
    // Asks the identity service to invalidate the token (POST
    // /oauth2/revoke, form fields client_id and token).
    QFuture<void> revoke(const QString& token) const;

    QFuture<TwitchEmoteSet> globalEmotes(const TwitchUserAccessToken& accessToken) const;
    QFuture<TwitchEmoteSet> channelEmotes(const QString& broadcasterID, const TwitchUserAccessToken& accessToken) const;
    QFuture<TwitchEmoteSet> emoteSet(const QString& setID, const TwitchUserAccessToken& accessToken) const;

    // The chat badges every channel shows, and those of one channel
    // (subscriber and bits badges of its own), with the emote catalogue's headers.
    QFuture<QList<TwitchBadgeSet>> globalBadges(const TwitchUserAccessToken& accessToken) const;
    QFuture<QList<TwitchBadgeSet>> channelBadges(
        const QString& broadcasterID, const TwitchUserAccessToken& accessToken) const;

    // A Helix answer whose status the caller reads itself.
    struct HelixReply {
        int status = 0;
        QByteArray body;
    };
    using QueryItems = QList<std::pair<QString, QString>>;
    // A Helix request with the user's token and the client id: `verb`
    // ("DELETE", "POST", ...) at `path`, the query's values percent-encoded,
    // and a JSON body when `json` is not empty. Any HTTP answer resolves it,
    // whatever its status; the limits, transport errors and an answer that is
    // not HTTP fail it as for every other request.
    QFuture<HelixReply> sendHelix(const QByteArray& verb, const QString& path, const QueryItems& query,
        const TwitchUserAccessToken& accessToken, const QByteArray& json = {}) const;

    // The account of `login` (GET /helix/users?login=); none when Twitch
    // knows no such account.
    QFuture<std::optional<TwitchUserInfo>> user(const QString& login, const TwitchUserAccessToken& accessToken) const;

    // Bodies larger than this fail instead of filling memory.
    static constexpr qint64 maxResponseSize = 16 * 1024 * 1024;

    // What one request may take. It fails with a time-out when it makes no
    // progress for `inactivity` or is not done after `total` (a body trickled
    // a byte at a time), and fails as soon as its body is announced or grows
    // larger than `maximumResponseSize`; Qt buffers at most `readBufferSize`.
    struct Limits {
        std::chrono::milliseconds inactivity = std::chrono::seconds(60);
        std::chrono::milliseconds total = std::chrono::seconds(60);
        qint64 maximumResponseSize = maxResponseSize;
        qint64 readBufferSize = 256 * 1024;
    };
    const Limits& limits() const { return limits_; }
    void setLimits(const Limits& limits) { limits_ = limits; }

private:
    using StatusTable = QList<std::pair<int, TwitchError::Code>>;

    QFuture<TwitchEmoteSet> fetchEmotes(
        const QString& path, const QString& query, const TwitchUserAccessToken& accessToken) const;
    QFuture<QList<TwitchBadgeSet>> fetchBadges(const QString& query, const TwitchUserAccessToken& accessToken) const;
    // A Helix GET with the user's token and the client id.
    QFuture<QByteArray> getHelix(
        const QString& path, const QString& query, const TwitchUserAccessToken& accessToken) const;
    // GET, or POST of `form` (URL-encoded) when there is one.
    QFuture<QByteArray> send(
        const QNetworkRequest& request, StatusTable statuses, const std::optional<QByteArray>& form = {}) const;
    // Sends `verb` with `body` (none when null) and resolves with any HTTP answer.
    QFuture<HelixReply> exchange(const QNetworkRequest& request, const QByteArray& verb, const QByteArray& body) const;
    // The Helix request with the user's token and the client id, or the reason it cannot be sent.
    std::optional<QNetworkRequest> helixRequest(
        const QString& path, const QString& encodedQuery, const TwitchUserAccessToken& accessToken) const;

    TwitchEndpoints endpoints_;
    QString clientID_;
    QUrl authRedirectURL_;
    std::shared_ptr<QNetworkAccessManager> network_;
    Limits limits_;
};

} // namespace parley
