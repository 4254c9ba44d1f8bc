#include "community/CommunityEmoteClient.h"

#include "community/BetterTTVEmotes.h"
#include "community/CommunityEmoteError.h"
#include "community/FrankerFaceZEmotes.h"
#include "community/SevenTVEmotes.h"
#include "community/internal/CommunityWire.h"
#include "platform/TransferDeadline.h"
#include "platform/TransportError.h"
#include "platform/FailedFuture.h"

#include <QAuthenticator>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QPromise>

namespace parley {
namespace {

QNetworkRequest makeRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    // Nothing of the user's goes to a third party: no cookies, no cached
    // credentials, no redirect to a less safe address.
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Accept", "application/json");
    return request;
}

// What a request has read so far, and why it was stopped early if it was.
struct Transfer {
    QByteArray body;
    std::exception_ptr failure;
};

// A 404 is no body at all (the service has no set for it).
void settle(QPromise<std::optional<QByteArray>>& promise, QNetworkReply& reply, Transfer& transfer)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (transfer.failure)
        promise.setException(transfer.failure);
    else if (status.isValid() && status.toInt() == 404)
        promise.addResult(std::nullopt);
    else if (status.isValid() && status.toInt() != 200)
        promise.setException(std::make_exception_ptr(CommunityEmoteError(CommunityEmoteError::Code::unexpectedStatus,
            QStringLiteral("The emote service answered with status %1").arg(status.toInt()), status.toInt())));
    else if (reply.error() != QNetworkReply::NoError)
        promise.setException(std::make_exception_ptr(TransportError(reply.error(), reply.errorString())));
    else if (!status.isValid())
        promise.setException(std::make_exception_ptr(CommunityEmoteError(
            CommunityEmoteError::Code::invalidAnswer, QStringLiteral("The emote service's answer is not HTTP"))));
    else
        promise.addResult(std::move(transfer.body));
    promise.finish();
}

bool isAuthenticationStatus(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status == 401 || status == 407;
}

} // namespace

CommunityEmoteClient::CommunityEmoteClient(
    CommunityEmoteServices services, std::shared_ptr<QNetworkAccessManager> network)
    : services_(std::move(services)), network_(std::move(network))
{ }

QFuture<QList<CommunityEmote>> CommunityEmoteClient::globalEmotes(CommunityEmoteProvider provider) const
{
    switch (provider) {
    case CommunityEmoteProvider::BetterTTV:
        return fetch(CommunityWire::appended(services_.betterTTVAPI, { "cached", "emotes", "global" }),
            [cdn = services_.betterTTVCDN](const QByteArray& json) { return BetterTTVEmotes::fromGlobal(json, cdn); });
    case CommunityEmoteProvider::FrankerFaceZ:
        return fetch(CommunityWire::appended(services_.frankerFaceZAPI, { "set", "global" }),
            [api = services_.frankerFaceZAPI](
                const QByteArray& json) { return FrankerFaceZEmotes::fromGlobal(json, api); });
    case CommunityEmoteProvider::SevenTV:
        break;
    }
    return fetch(CommunityWire::appended(services_.sevenTVAPI, { "emote-sets", "global" }),
        [api = services_.sevenTVAPI](const QByteArray& json) { return SevenTVEmotes::fromEmoteSet(json, api); });
}

QFuture<QList<CommunityEmote>> CommunityEmoteClient::channelEmotes(
    CommunityEmoteProvider provider, const QString& roomID) const
{
    if (!CommunityWire::isSafeSegment(roomID) || roomID.contains(u'.'))
        return failedFuture<QList<CommunityEmote>>(CommunityEmoteError(CommunityEmoteError::Code::invalidRoomID,
            QStringLiteral("The room id \"%1\" cannot be used in a request").arg(roomID)));
    switch (provider) {
    case CommunityEmoteProvider::BetterTTV:
        return fetch(CommunityWire::appended(services_.betterTTVAPI, { "cached", "users", "twitch", roomID }),
            [cdn = services_.betterTTVCDN](const QByteArray& json) { return BetterTTVEmotes::fromChannel(json, cdn); });
    case CommunityEmoteProvider::FrankerFaceZ:
        return fetch(CommunityWire::appended(services_.frankerFaceZAPI, { "room", "id", roomID }),
            [api = services_.frankerFaceZAPI](
                const QByteArray& json) { return FrankerFaceZEmotes::fromRoom(json, api); });
    case CommunityEmoteProvider::SevenTV:
        break;
    }
    return fetch(CommunityWire::appended(services_.sevenTVAPI, { "users", "twitch", roomID }),
        [api = services_.sevenTVAPI](const QByteArray& json) { return SevenTVEmotes::fromUser(json, api); });
}

QFuture<QList<CommunityEmote>> CommunityEmoteClient::fetch(const QUrl& url, Parser parser) const
{
    return get(url).then([parser = std::move(parser), url](const std::optional<QByteArray>& body) {
        if (!body)
            return QList<CommunityEmote>();
        std::optional<QList<CommunityEmote>> emotes = parser(*body);
        if (!emotes)
            throw CommunityEmoteError(CommunityEmoteError::Code::invalidAnswer,
                QStringLiteral("The answer of %1 is not the expected JSON").arg(url.toString()));
        return std::move(*emotes);
    });
}

QFuture<std::optional<QByteArray>> CommunityEmoteClient::get(const QUrl& url) const
{
    auto promise = std::make_shared<QPromise<std::optional<QByteArray>>>();
    promise->start();
    QNetworkReply* reply = network_->get(makeRequest(url));
    reply->setReadBufferSize(limits_.readBufferSize);
    auto transfer = std::make_shared<Transfer>();
    const auto stop = [reply, transfer](const auto& error) {
        if (!transfer->failure)
            transfer->failure = std::make_exception_ptr(error);
        reply->abort();
    };
    const qint64 maximumSize = limits_.maximumAnswerSize;
    const CommunityEmoteError tooLarge(CommunityEmoteError::Code::answerTooLarge,
        QStringLiteral("The emote service's answer is larger than %1 bytes").arg(maximumSize));
    const CommunityEmoteError authentication(CommunityEmoteError::Code::unexpectedStatus,
        QStringLiteral("The emote service asked for authentication"), 401);
    auto* deadline = new TransferDeadline(
        limits_.inactivity, limits_.total, [stop] { stop(TransportError::timedOut()); }, reply);
    // Weak: redirects announce headers too, and the first ones end it.
    QPointer<TransferDeadline> response = new TransferDeadline(
        TransferDeadline::Milliseconds::zero(), limits_.response, [stop] { stop(TransportError::timedOut()); }, reply);
    // Qt would read a 401 or 407 answer's body itself to authenticate: stop
    // such an answer before any of it is read, as Parley never signs in here.
    QObject::connect(network_.get(), &QNetworkAccessManager::authenticationRequired, reply,
        [reply, stop, authentication](QNetworkReply* asking) {
            if (asking == reply)
                stop(authentication);
        });
    QObject::connect(network_.get(), &QNetworkAccessManager::proxyAuthenticationRequired, reply,
        [stop, authentication] { stop(authentication); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply,
        [reply, deadline, response, stop, tooLarge, authentication, maximumSize] {
            deadline->noteProgress();
            delete response.data();
            bool known = false;
            if (isAuthenticationStatus(*reply))
                stop(authentication);
            else if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known) > maximumSize && known)
                stop(tooLarge);
        });
    // Read as it arrives, so the running total stops an endless body.
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
