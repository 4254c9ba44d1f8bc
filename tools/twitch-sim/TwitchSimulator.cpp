#include "twitch-sim/TwitchSimulator.h"

#include "twitch-sim/EmoteArt.h"
#include "twitch-sim/HelixCatalogue.h"
#include "twitch-sim/SimBadgeCatalogue.h"
#include "twitch-sim/ReplyWriter.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/SimHttpServer.h"

#include <QHttpServerRequest>
#include <QJsonArray>
#include <QMetaEnum>
#include <QTcpSocket>
#include <QUrlQuery>

namespace parley::sim {
namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    return QByteArray(QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method))).toUpper();
}

QString queryValue(const SimRequest& request, const QString& key)
{
    return QUrlQuery(request.query).queryItemValue(key, QUrl::FullyDecoded);
}

// The token of an "Authorization: <scheme> <token>" header; null if the
// header is absent or uses another scheme.
QString credential(const SimRequest& request, const QByteArray& scheme)
{
    const QByteArray value = request.header("Authorization");
    if (!value.startsWith(scheme + ' '))
        return {};
    return QString::fromLatin1(value.mid(scheme.size() + 1));
}

} // namespace

TwitchSimulator::TwitchSimulator(QObject* parent) : TwitchSimulator(SimModel::demoContent(), parent) { }

TwitchSimulator::TwitchSimulator(SimModel model, QObject* parent)
    : QObject(parent)
    , model_(std::move(model))
    , server_(std::make_unique<SimHttpServer>(
          [this](const QHttpServerRequest& request, QTcpSocket* socket) { handle(request, socket); }))
    , chat_(std::make_unique<SimChatService>(model_, *server_))
    , moderation_(*chat_)
{ }

TwitchSimulator::~TwitchSimulator() = default;

quint16 TwitchSimulator::start(quint16 port)
{
    port_ = server_->listen(QHostAddress::LocalHost, port);
    return port_;
}

QUrl TwitchSimulator::baseURL() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port_));
}

QUrl TwitchSimulator::chatURL() const
{
    return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port_));
}

QUrl TwitchSimulator::serviceURL(const QString& path) const
{
    QUrl url = baseURL();
    url.setPath(path);
    return url;
}

QUrl TwitchSimulator::emoteImageURL(
    const QString& emoteID, const QString& format, const QString& theme, const QString& scale) const
{
    QUrl url = baseURL();
    url.setPath(HelixCatalogue::imagePath(emoteID, format, theme, scale));
    return url;
}

QUrl TwitchSimulator::blobURL(qsizetype size, const QString& seed) const
{
    QUrl url = baseURL();
    url.setPath(QStringLiteral("/blob/%1").arg(size) + (seed.isEmpty() ? QString() : u'/' + seed));
    return url;
}

QByteArray TwitchSimulator::blobBody(qsizetype size, const QString& seed)
{
    const uint salt = uint(qHash(seed, 0));
    QByteArray body(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        body[i] = char((i * 131 + (i >> 8) * 7 + salt) & 0xff);
    return body;
}

void TwitchSimulator::putFile(const QString& path, SimResource resource)
{
    files_.insert(path, std::move(resource));
}

void TwitchSimulator::setFault(const QString& path, HttpFault fault)
{
    faults_.insert(path, fault);
}

void TwitchSimulator::clearFault(const QString& path)
{
    faults_.remove(path);
}

void TwitchSimulator::clearFaults()
{
    faults_.clear();
}

int TwitchSimulator::requestCount(const QString& path) const
{
    return counts_.value(path);
}

void TwitchSimulator::resetRequests()
{
    counts_.clear();
    recorded_.clear();
    total_ = 0;
}

QAbstractHttpServer& TwitchSimulator::httpServer()
{
    return *server_;
}

void TwitchSimulator::handle(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const SimRequest simRequest { methodName(request.method()), request.url().path(),
        request.url().query(QUrl::FullyEncoded), request.headers(), request.body() };
    record(simRequest);
    HttpFault fault = takeFault(simRequest.path).value_or(HttpFault {});
    // A request refused with a fault's status changes nothing (a refused ban bans no one).
    HttpReply reply = fault.status != 0 ? HttpReply { fault.status, {}, {} }
        : fault.rangeFromStart          ? rangeFromStart(simRequest)
                                        : route(simRequest);
    // The recent chat service answers a failure in its own words.
    if (fault.status != 0 && SimRecentMessages::handles(simRequest.path))
        reply = SimRecentMessages::failure(std::exchange(fault.status, 0));
    emit requestServed(simRequest, reply.status);
    ReplyWriter::write(socket, std::move(reply), fault);
}

void TwitchSimulator::record(const SimRequest& request)
{
    ++counts_[request.path];
    ++total_;
    if (recorded_.size() == maxRecorded)
        recorded_.removeFirst();
    recorded_.append(request);
}

std::optional<HttpFault> TwitchSimulator::takeFault(const QString& path)
{
    auto it = faults_.find(path);
    for (auto candidate = faults_.begin(); it == faults_.end() && candidate != faults_.end(); ++candidate)
        if (candidate.key().endsWith(u'*') && path.startsWith(QStringView(candidate.key()).chopped(1)))
            it = candidate;
    if (it == faults_.end())
        return std::nullopt;
    const HttpFault fault = *it;
    if (it->times > 0 && --it->times == 0)
        faults_.erase(it);
    return fault;
}

HttpReply TwitchSimulator::rangeFromStart(const SimRequest& request)
{
    if (!request.hasHeader("Range"))
        return route(request);
    SimRequest whole = request;
    whole.headers.removeIf([](const auto& header) { return header.first.compare("Range", Qt::CaseInsensitive) == 0; });
    HttpReply reply = route(whole);
    if (reply.status == 200 && !reply.body.isEmpty()) {
        reply.status = 206;
        const QByteArray size = QByteArray::number(reply.body.size());
        reply.setHeader("Content-Range", "bytes 0-" + QByteArray::number(reply.body.size() - 1) + '/' + size);
    }
    return reply;
}

HttpReply TwitchSimulator::route(const SimRequest& request)
{
    if (request.path == QLatin1String("/oauth2/revoke"))
        return request.method == "POST" ? revoke(request) : HttpReply::error(405, QStringLiteral("method not allowed"));
    if (SimModeration::handles(request.path))
        return moderation(request);
    if (request.method != "GET")
        return HttpReply::error(405, QStringLiteral("method not allowed"));
    if (const auto file = files_.constFind(request.path); file != files_.cend())
        return file->serve(request);
    if (request.path == QLatin1String("/oauth2/authorize"))
        return authorize(request);
    if (request.path == QLatin1String("/oauth2/validate"))
        return validate(request);
    if (request.path.startsWith(QLatin1String("/helix/")))
        return helix(request);
    if (request.path.startsWith(QLatin1String("/emoticons/v2/")))
        return emoteImage(request);
    if (request.path.startsWith(QLatin1String("/blob/")))
        return blob(request);
    if (SimBadgeCatalogue::handles(request.path)) {
        const std::optional<QByteArray> image = SimBadgeCatalogue::image(request.path);
        return image ? HttpReply { 200, { { "Content-Type", "image/png" } }, *image }
                     : HttpReply::error(404, QStringLiteral("not found"));
    }
    if (SimRecentMessages::handles(request.path))
        return chat_->recentMessages().route(request);
    if (CommunityStandIns::handles(request.path))
        return community_.route(request, model_, baseURL());
    return HttpReply::error(404, QStringLiteral("not found"));
}

HttpReply TwitchSimulator::authorize(const SimRequest& request)
{
    const QUrl redirect(queryValue(request, QStringLiteral("redirect_uri")), QUrl::StrictMode);
    if (!redirect.isValid() || redirect.isRelative())
        return HttpReply::json({ { QStringLiteral("status"), 400 },
                                   { QStringLiteral("message"), QStringLiteral("Parameter redirect_uri is invalid") } },
            400);
    if (queryValue(request, QStringLiteral("client_id")).isEmpty())
        return HttpReply::json(
            { { QStringLiteral("status"), 400 }, { QStringLiteral("message"), QStringLiteral("missing client id") } },
            400);
    if (queryValue(request, QStringLiteral("response_type")) != QLatin1String("token"))
        return HttpReply::json({ { QStringLiteral("status"), 400 },
                                   { QStringLiteral("message"), QStringLiteral("unsupported response type") } },
            400);
    QUrl location = redirect;
    location.setFragment({});
    const QString state = queryValue(request, QStringLiteral("state"));
    if (refusesAuthorization_) {
        // A refusal comes back in the query, with no fragment at all.
        QUrlQuery answer(location);
        answer.addQueryItem(QStringLiteral("error"), QStringLiteral("access_denied"));
        answer.addQueryItem(QStringLiteral("error_description"), QStringLiteral("The user denied you access"));
        if (!state.isEmpty())
            answer.addQueryItem(QStringLiteral("state"), state);
        location.setQuery(answer);
        return HttpReply::redirect(location);
    }
    model_.grantToken(authorizationToken_);
    // As Twitch does: scopes joined by '+', every item percent-encoded.
    const auto encode = [](const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); };
    QStringList items { QStringLiteral("access_token=") + encode(authorizationToken_),
        QStringLiteral("scope=") +
            encode(queryValue(request, QStringLiteral("scope"))).replace(QLatin1String("%20"), QLatin1String("+")) };
    if (!state.isEmpty())
        items.append(QStringLiteral("state=") + encode(state));
    items.append(QStringLiteral("token_type=bearer"));
    location.setFragment(items.join(u'&'), QUrl::StrictMode);
    return HttpReply::redirect(location);
}

HttpReply TwitchSimulator::validate(const SimRequest& request) const
{
    const QString token = credential(request, "OAuth");
    const std::optional<SimToken> known = token.isEmpty() ? std::nullopt : model_.token(token);
    const std::optional<SimUser> user = known ? model_.user(known->userID) : std::nullopt;
    if (!user)
        return HttpReply::json({ { QStringLiteral("status"), 401 },
                                   { QStringLiteral("message"),
                                       token.isEmpty() ? QStringLiteral("missing authorization token")
                                                       : QStringLiteral("invalid access token") } },
            401);
    return HttpReply::json({
        { QStringLiteral("client_id"), known->clientID },
        { QStringLiteral("login"), user->login },
        { QStringLiteral("scopes"), QJsonArray::fromStringList(known->scopes) },
        { QStringLiteral("user_id"), user->userID },
        { QStringLiteral("expires_in"), known->expiresIn },
    });
}

// As Twitch does: the form's client id must be the token's; the token stops
// working at once.
HttpReply TwitchSimulator::revoke(const SimRequest& request)
{
    const QUrlQuery form(QString::fromUtf8(request.body).replace(u'+', u' '));
    const QString clientID = form.queryItemValue(QStringLiteral("client_id"), QUrl::FullyDecoded);
    const QString token = form.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded);
    if (clientID.isEmpty())
        return HttpReply::json(
            { { QStringLiteral("status"), 400 }, { QStringLiteral("message"), QStringLiteral("missing client id") } },
            400);
    const std::optional<SimToken> known = model_.token(token);
    if (!known)
        return HttpReply::json(
            { { QStringLiteral("status"), 400 }, { QStringLiteral("message"), QStringLiteral("Invalid token") } }, 400);
    if (known->clientID != clientID)
        return HttpReply::json(
            { { QStringLiteral("status"), 403 }, { QStringLiteral("message"), QStringLiteral("client id mismatch") } },
            403);
    model_.revokeToken(token);
    return HttpReply { 200, {}, {} };
}

std::variant<SimToken, HttpReply> TwitchSimulator::helixToken(const SimRequest& request) const
{
    const QString token = credential(request, "Bearer");
    if (token.isEmpty())
        return HttpReply::error(401, QStringLiteral("OAuth token is missing"));
    const QString clientID = QString::fromLatin1(request.header("Client-Id"));
    if (clientID.isEmpty())
        return HttpReply::error(401, QStringLiteral("Client ID is missing"));
    const std::optional<SimToken> known = model_.token(token);
    if (!known)
        return HttpReply::error(401, QStringLiteral("Invalid OAuth token"));
    if (known->clientID != clientID)
        return HttpReply::error(401, QStringLiteral("Client ID and OAuth token do not match"));
    return *known;
}

HttpReply TwitchSimulator::moderation(const SimRequest& request)
{
    const std::variant<SimToken, HttpReply> token = helixToken(request);
    if (const HttpReply* refusal = std::get_if<HttpReply>(&token))
        return *refusal;
    return moderation_.route(request, std::get<SimToken>(token), model_);
}

// As Twitch does: unknown logins are left out of "data".
HttpReply TwitchSimulator::users(const SimRequest& request) const
{
    QJsonArray data;
    for (const QString& login : QUrlQuery(request.query).allQueryItemValues(QStringLiteral("login"), QUrl::FullyDecoded))
        if (const std::optional<SimUser> user = model_.userByLogin(login.toLower()))
            data.append(QJsonObject { { QStringLiteral("id"), user->userID }, { QStringLiteral("login"), user->login },
                { QStringLiteral("display_name"), user->displayName } });
    return HttpReply::json({ { QStringLiteral("data"), data } });
}

HttpReply TwitchSimulator::helix(const SimRequest& request) const
{
    const std::variant<SimToken, HttpReply> token = helixToken(request);
    if (const HttpReply* refusal = std::get_if<HttpReply>(&token))
        return *refusal;
    if (request.path == QLatin1String("/helix/users"))
        return users(request);

    using Endpoint = HelixCatalogue::Endpoint;
    if (request.path == QLatin1String("/helix/chat/emotes/global"))
        return HttpReply::json(HelixCatalogue::response(model_.globalEmotes(), Endpoint::global, baseURL()));
    if (request.path == QLatin1String("/helix/chat/emotes")) {
        const QString broadcaster = queryValue(request, QStringLiteral("broadcaster_id"));
        if (broadcaster.isEmpty())
            return HttpReply::error(400, QStringLiteral("Missing required parameter \"broadcaster_id\""));
        return HttpReply::json(
            HelixCatalogue::response(model_.channelEmotes(broadcaster), Endpoint::channel, baseURL()));
    }
    if (request.path == QLatin1String("/helix/chat/badges/global"))
        return HttpReply::json(SimBadgeCatalogue::globalResponse(baseURL()));
    if (request.path == QLatin1String("/helix/chat/badges")) {
        if (queryValue(request, QStringLiteral("broadcaster_id")).isEmpty())
            return HttpReply::error(400, QStringLiteral("Missing required parameter \"broadcaster_id\""));
        return HttpReply::json(SimBadgeCatalogue::channelResponse(baseURL()));
    }
    if (request.path == QLatin1String("/helix/chat/emotes/set")) {
        const QStringList setIDs = QUrlQuery(request.query).allQueryItemValues(QStringLiteral("emote_set_id"));
        if (setIDs.isEmpty() || setIDs.contains(QString()))
            return HttpReply::error(400, QStringLiteral("Missing required parameter \"emote_set_id\""));
        if (setIDs.size() > 25)
            return HttpReply::error(
                400, QStringLiteral("The parameter \"emote_set_id\" may only be specified up to 25 times"));
        QList<SimEmote> emotes;
        for (const QString& setID : setIDs)
            emotes += model_.emoteSet(setID);
        return HttpReply::json(HelixCatalogue::response(emotes, Endpoint::set, baseURL()));
    }
    return HttpReply::error(404, QStringLiteral("not found"));
}

HttpReply TwitchSimulator::emoteImage(const SimRequest& request) const
{
    // /emoticons/v2/ID/FORMAT/THEME/SCALE
    const QStringList parts = request.path.split(u'/');
    if (parts.size() != 7)
        return HttpReply::error(404, QStringLiteral("not found"));
    const std::optional<SimEmote> emote = model_.emote(parts[3]);
    const QString& format = parts[4];
    const QString& theme = parts[5];
    const int size = EmoteArt::pixelSize(parts[6]);
    const bool animated = format == QLatin1String("animated") ||
        (format == QLatin1String("default") && emote && emote->animated);
    const bool knownFormat = format == QLatin1String("static") || format == QLatin1String("default") ||
        (format == QLatin1String("animated") && emote && emote->animated);
    if (!emote || !knownFormat || size == 0 || (theme != QLatin1String("light") && theme != QLatin1String("dark")))
        return HttpReply::error(404, QStringLiteral("not found"));
    QByteArray& image = imageCache_[request.path];
    if (image.isEmpty()) {
        const bool dark = theme == QLatin1String("dark");
        image = animated ? EmoteArt::gif(emote->id, dark, size) : EmoteArt::png(emote->id, dark, size);
    }
    const SimResource resource { image, animated ? QByteArray("image/gif") : QByteArray("image/png") };
    return resource.serve(request);
}

HttpReply TwitchSimulator::blob(const SimRequest& request) const
{
    // /blob/SIZE or /blob/SIZE/SEED
    const QStringList parts = request.path.split(u'/');
    bool ok = false;
    const qsizetype size = parts.size() >= 3 ? parts[2].toLongLong(&ok) : 0;
    if (!ok || size < 0 || size > maxBlobSize || parts.size() > 4)
        return HttpReply::error(404, QStringLiteral("not found"));
    const SimResource resource { blobBody(size, parts.value(3)), "application/octet-stream" };
    return resource.serve(request);
}

} // namespace parley::sim
