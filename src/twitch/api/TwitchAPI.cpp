#include "twitch/api/TwitchAPI.h"

#include "platform/FailedFuture.h"
#include "platform/TransferDeadline.h"
#include "platform/TransportError.h"
#include "twitch/api/InvalidRequestError.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>
#include <QRegularExpression>

#include <algorithm>

namespace parley {
namespace {

// Query values keep ':', '/', '?' and '@' readable; everything that could end
// or split a value ('&', '=', '+', '#', '%', spaces) is percent-encoded.
QString encodeQueryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value, ":/?@!$'()*,;"));
}

QString decodeQueryPart(QStringView part)
{
    return QUrl::fromPercentEncoding(part.toLatin1());
}

QUrl serviceURL(QUrl base, const QString& path, const QString& encodedQuery = {})
{
    base.setPath(path);
    base.setQuery(encodedQuery.isEmpty() ? QString() : encodedQuery, QUrl::StrictMode);
    base.setFragment({});
    return base;
}

// IDs go into the URL as they are, so only characters that need no encoding
// are accepted: anything else would break the URL or change the request.
bool isURLSafeID(const QString& id)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._~-]*$"));
    return safe.match(id).hasMatch();
}

// A token goes into a header value; control and non-ASCII characters would
// corrupt the request.
bool isHeaderSafeToken(const QString& token)
{
    return std::all_of(token.cbegin(), token.cend(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

QNetworkRequest makeRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    // Redirects keep the request's headers; the token must not follow one to
    // another origin.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    return request;
}

// What a request has read so far, and why it was stopped early if it was.
struct Transfer {
    QByteArray body;
    std::exception_ptr failure;
};

// Settles a finished reply: a limit that stopped it is its error; a status
// other than 200 is an answer, and so is a 200 that arrived whole; a network
// failure passes through, and anything that is not an HTTP response is
// invalidResponse.
void settle(QPromise<TwitchAPI::HelixReply>& promise, QNetworkReply& reply, const Transfer& transfer)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (transfer.failure)
        promise.setException(transfer.failure);
    else if (status.isValid() && (status.toInt() != 200 || reply.error() == QNetworkReply::NoError))
        promise.addResult(TwitchAPI::HelixReply { status.toInt(), transfer.body });
    else if (reply.error() != QNetworkReply::NoError)
        promise.setException(std::make_exception_ptr(TransportError(reply.error(), reply.errorString())));
    else
        promise.setException(std::make_exception_ptr(TwitchError(TwitchError::Code::invalidResponse)));
    promise.finish();
}

QNetworkReply* startRequest(
    QNetworkAccessManager& network, const QNetworkRequest& request, const QByteArray& verb, const QByteArray& body)
{
    if (verb == "GET")
        return network.get(request);
    if (verb == "POST")
        return network.post(request, body);
    return body.isEmpty() ? network.sendCustomRequest(request, verb) : network.sendCustomRequest(request, verb, body);
}

InvalidRequestError unsendableCredentials()
{
    return InvalidRequestError(QStringLiteral("The access token or client id contains characters that cannot be sent"));
}

} // namespace

TwitchAPI::TwitchAPI(
    TwitchEndpoints endpoints, QString clientID, QUrl authRedirectURL, std::shared_ptr<QNetworkAccessManager> network)
    : endpoints_(std::move(endpoints))
    , clientID_(std::move(clientID))
    , authRedirectURL_(std::move(authRedirectURL))
    , network_(std::move(network))
{ }

QUrl TwitchAPI::authorizationURL(const QSet<TwitchAuthScope>& scopes, const QString& state) const
{
    // In the table's order, so the address is the same for the same scopes.
    QStringList scopeNames;
    for (const auto& [scope, name] : RawValues<TwitchAuthScope>::table)
        if (scopes.contains(scope))
            scopeNames.append(name.toString());
    QStringList items {
        QStringLiteral("redirect_uri=") + encodeQueryValue(authRedirectURL_.toString(QUrl::FullyEncoded)),
        QStringLiteral("client_id=") + encodeQueryValue(clientID_),
        QStringLiteral("response_type=token"),
        QStringLiteral("scope=") + encodeQueryValue(scopeNames.join(u' ')),
    };
    if (!state.isEmpty())
        items.append(QStringLiteral("state=") + encodeQueryValue(state));
    return serviceURL(endpoints_.identityURL, QStringLiteral("/oauth2/authorize"), items.join(u'&'));
}

std::optional<QString> TwitchAPI::accessToken(const QUrl& redirect)
{
    return redirectValue(redirect, u"access_token");
}

std::optional<QString> TwitchAPI::redirectValue(const QUrl& redirect, QStringView name)
{
    // The implicit grant returns the token in the fragment; read it as a query.
    const QUrl url(redirect.toString(QUrl::FullyEncoded).replace(u'#', u'?'));
    if (!url.isValid() || !url.hasQuery())
        return std::nullopt;
    const QString query = url.query(QUrl::FullyEncoded);
    for (QStringView item : QStringView(query).split(u'&')) {
        const qsizetype equals = item.indexOf(u'=');
        if (decodeQueryPart(equals < 0 ? item : item.left(equals)) != name)
            continue;
        if (equals < 0)
            return std::nullopt;
        return decodeQueryPart(item.mid(equals + 1));
    }
    return std::nullopt;
}

bool TwitchAPI::isAuthRedirect(const QUrl& url) const
{
    const auto path = [](const QUrl& address) {
        return address.path().isEmpty() ? QStringLiteral("/") : address.path();
    };
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    return url.isValid() && url.scheme() == authRedirectURL_.scheme() &&
        url.host().compare(authRedirectURL_.host(), Qt::CaseInsensitive) == 0 &&
        url.port(defaultPort) == authRedirectURL_.port(defaultPort) && path(url) == path(authRedirectURL_);
}

QFuture<std::optional<TwitchUserAccessToken>> TwitchAPI::userAccessToken(const QUrl& redirect) const
{
    const std::optional<QString> token = accessToken(redirect);
    if (!token)
        return QtFuture::makeReadyFuture(std::optional<TwitchUserAccessToken>());
    return validate(*token).then(
        [](TwitchUserAccessToken validated) { return std::optional<TwitchUserAccessToken>(std::move(validated)); });
}

QFuture<TwitchUserAccessToken> TwitchAPI::validate(const QString& token) const
{
    if (!isHeaderSafeToken(token))
        return failedFuture<TwitchUserAccessToken>(
            InvalidRequestError(QStringLiteral("The access token contains characters that cannot be sent")));
    QNetworkRequest request = makeRequest(serviceURL(endpoints_.identityURL, QStringLiteral("/oauth2/validate")));
    request.setRawHeader("Authorization", "OAuth " + token.toLatin1());
    return send(request, { { 401, TwitchError::Code::invalidAccessToken } }).then([token](const QByteArray& body) {
        return TwitchUserAccessToken { token, TwitchUserAccessToken::Info::fromJson(JsonReader::parse(body)) };
    });
}

QFuture<void> TwitchAPI::revoke(const QString& token) const
{
    QNetworkRequest request = makeRequest(serviceURL(endpoints_.identityURL, QStringLiteral("/oauth2/revoke")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    const QString form = QStringLiteral("client_id=") + encodeQueryValue(clientID_) + QStringLiteral("&token=") +
        encodeQueryValue(token);
    return send(request, {}, form.toLatin1()).then([](const QByteArray&) {});
}

QFuture<TwitchEmoteSet> TwitchAPI::globalEmotes(const TwitchUserAccessToken& accessToken) const
{
    return fetchEmotes(QStringLiteral("/helix/chat/emotes/global"), {}, accessToken);
}

QFuture<TwitchEmoteSet> TwitchAPI::channelEmotes(
    const QString& broadcasterID, const TwitchUserAccessToken& accessToken) const
{
    if (!isURLSafeID(broadcasterID))
        return failedFuture<TwitchEmoteSet>(InvalidRequestError(
            QStringLiteral("The broadcaster id \"%1\" cannot be used in a request URL").arg(broadcasterID)));
    return fetchEmotes(
        QStringLiteral("/helix/chat/emotes"), QStringLiteral("broadcaster_id=") + broadcasterID, accessToken);
}

QFuture<TwitchEmoteSet> TwitchAPI::emoteSet(const QString& setID, const TwitchUserAccessToken& accessToken) const
{
    if (!isURLSafeID(setID))
        return failedFuture<TwitchEmoteSet>(
            InvalidRequestError(QStringLiteral("The emote set id \"%1\" cannot be used in a request URL").arg(setID)));
    return fetchEmotes(QStringLiteral("/helix/chat/emotes/set"), QStringLiteral("emote_set_id=") + setID, accessToken);
}

QFuture<QList<TwitchBadgeSet>> TwitchAPI::globalBadges(const TwitchUserAccessToken& accessToken) const
{
    return fetchBadges({}, accessToken);
}

QFuture<QList<TwitchBadgeSet>> TwitchAPI::channelBadges(
    const QString& broadcasterID, const TwitchUserAccessToken& accessToken) const
{
    if (!isURLSafeID(broadcasterID))
        return failedFuture<QList<TwitchBadgeSet>>(InvalidRequestError(
            QStringLiteral("The broadcaster id \"%1\" cannot be used in a request URL").arg(broadcasterID)));
    return fetchBadges(QStringLiteral("broadcaster_id=") + broadcasterID, accessToken);
}

QFuture<TwitchEmoteSet> TwitchAPI::fetchEmotes(
    const QString& path, const QString& query, const TwitchUserAccessToken& accessToken) const
{
    return getHelix(path, query, accessToken).then([](const QByteArray& body) {
        return TwitchEmoteSet::fromResponse(TwitchEmotesResponse::fromJson(JsonReader::parse(body)));
    });
}

QFuture<QList<TwitchBadgeSet>> TwitchAPI::fetchBadges(
    const QString& query, const TwitchUserAccessToken& accessToken) const
{
    const QString path = query.isEmpty() ? QStringLiteral("/helix/chat/badges/global") : QStringLiteral("/helix/chat/badges");
    return getHelix(path, query, accessToken).then([](const QByteArray& body) {
        return TwitchBadgeSet::listFromResponse(JsonReader::parse(body));
    });
}

QFuture<QByteArray> TwitchAPI::getHelix(
    const QString& path, const QString& query, const TwitchUserAccessToken& accessToken) const
{
    const std::optional<QNetworkRequest> request = helixRequest(path, query, accessToken);
    if (!request)
        return failedFuture<QByteArray>(unsendableCredentials());
    return send(*request, {});
}

std::optional<QNetworkRequest> TwitchAPI::helixRequest(
    const QString& path, const QString& encodedQuery, const TwitchUserAccessToken& accessToken) const
{
    if (!isHeaderSafeToken(accessToken.token) || !isHeaderSafeToken(clientID_))
        return std::nullopt;
    QNetworkRequest request = makeRequest(serviceURL(endpoints_.helixURL, path, encodedQuery));
    request.setRawHeader("Authorization", "Bearer " + accessToken.token.toLatin1());
    request.setRawHeader("Client-Id", clientID_.toLatin1());
    return request;
}

QFuture<TwitchAPI::HelixReply> TwitchAPI::sendHelix(const QByteArray& verb, const QString& path,
    const QueryItems& query, const TwitchUserAccessToken& accessToken, const QByteArray& json) const
{
    QStringList items;
    for (const auto& [name, value] : query)
        items.append(name + u'=' + encodeQueryValue(value));
    std::optional<QNetworkRequest> request = helixRequest(path, items.join(u'&'), accessToken);
    if (!request)
        return failedFuture<HelixReply>(unsendableCredentials());
    if (!json.isEmpty())
        request->setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    return exchange(*request, verb, json);
}

QFuture<std::optional<TwitchUserInfo>> TwitchAPI::user(
    const QString& login, const TwitchUserAccessToken& accessToken) const
{
    return sendHelix("GET", QStringLiteral("/helix/users"), { { QStringLiteral("login"), login } }, accessToken)
        .then([](const HelixReply& reply) {
            if (reply.status != 200)
                throw TwitchError(reply.status == 401 ? TwitchError::Code::invalidAccessToken
                                                      : TwitchError::Code::invalidResponse);
            const QList<JsonReader> users = JsonReader::parse(reply.body)[QLatin1String("data")].toArray();
            return users.isEmpty() ? std::nullopt : std::optional(TwitchUserInfo::fromJson(users.first()));
        });
}

// Statuses other than 200 fail with the table's error, else invalidResponse.
QFuture<QByteArray> TwitchAPI::send(
    const QNetworkRequest& request, StatusTable statuses, const std::optional<QByteArray>& form) const
{
    return exchange(request, form ? QByteArrayLiteral("POST") : QByteArrayLiteral("GET"), form.value_or(QByteArray()))
        .then([statuses = std::move(statuses)](const HelixReply& reply) {
            if (reply.status == 200)
                return reply.body;
            const auto entry = std::find_if(
                statuses.cbegin(), statuses.cend(), [&](const auto& row) { return row.first == reply.status; });
            throw TwitchError(entry == statuses.cend() ? TwitchError::Code::invalidResponse : entry->second);
        });
}

QFuture<TwitchAPI::HelixReply> TwitchAPI::exchange(
    const QNetworkRequest& request, const QByteArray& verb, const QByteArray& body) const
{
    auto promise = std::make_shared<QPromise<HelixReply>>();
    promise->start();
    QNetworkReply* reply = startRequest(*network_, request, verb, body);
    reply->setReadBufferSize(limits_.readBufferSize);
    auto transfer = std::make_shared<Transfer>();
    const auto stop = [reply, transfer](auto error) {
        transfer->failure = std::make_exception_ptr(error);
        reply->abort();
    };
    const qint64 maximumSize = limits_.maximumResponseSize;
    const TransportError tooLarge(
        QNetworkReply::UnknownContentError, QStringLiteral("The response is larger than %1 bytes").arg(maximumSize));
    auto* deadline = new TransferDeadline(
        limits_.inactivity, limits_.total, [stop] { stop(TransportError::timedOut()); }, reply);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, deadline, stop, tooLarge, maximumSize] {
        deadline->noteProgress();
        bool known = false;
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known) > maximumSize && known)
            stop(tooLarge);
    });
    // Read as it arrives, so what Qt buffers stays within the read buffer and
    // the running total stops an endless body.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, deadline, transfer, stop, tooLarge, maximumSize] {
        deadline->noteProgress();
        transfer->body += reply->readAll();
        if (transfer->body.size() > maximumSize)
            stop(tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, promise, transfer] {
        reply->deleteLater();
        if (!transfer->failure)
            transfer->body += reply->readAll();
        settle(*promise, *reply, *transfer);
    });
    return promise->future();
}

} // namespace parley
