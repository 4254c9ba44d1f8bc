#include "community/internal/ThirdPartyGet.h"

#include "platform/TransferDeadline.h"
#include "platform/TransportError.h"

#include <QAuthenticator>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QPromise>

#include <memory>

namespace parley {
namespace {

QNetworkRequest makeRequest(const QUrl& url, const QList<std::pair<QByteArray, QByteArray>>& headers)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    return request;
}

// What a request has read so far, and why it was stopped early if it was.
struct Transfer {
    QByteArray body;
    std::exception_ptr failure;
};

// An error status comes with its body (Qt flags it as an error of its own).
void settle(
    QPromise<ThirdPartyAnswer>& promise, QNetworkReply& reply, Transfer& transfer, const std::exception_ptr& notHTTP)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (transfer.failure)
        promise.setException(transfer.failure);
    else if (status.isValid() && status.toInt() != 200)
        promise.addResult(ThirdPartyAnswer { status.toInt(), std::move(transfer.body) });
    else if (reply.error() != QNetworkReply::NoError)
        promise.setException(std::make_exception_ptr(TransportError(reply.error(), reply.errorString())));
    else if (!status.isValid())
        promise.setException(notHTTP);
    else
        promise.addResult(ThirdPartyAnswer { 200, std::move(transfer.body) });
    promise.finish();
}

bool isAuthenticationStatus(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status == 401 || status == 407;
}

} // namespace

QFuture<ThirdPartyAnswer> thirdPartyGet(QNetworkAccessManager& network, const QUrl& url,
    const QList<std::pair<QByteArray, QByteArray>>& headers, const ThirdPartyLimits& limits,
    const ThirdPartyFailures& failures)
{
    auto promise = std::make_shared<QPromise<ThirdPartyAnswer>>();
    promise->start();
    QNetworkReply* reply = network.get(makeRequest(url, headers));
    reply->setReadBufferSize(limits.readBufferSize);
    auto transfer = std::make_shared<Transfer>();
    const auto stop = [reply, transfer](const std::exception_ptr& error) {
        if (!transfer->failure)
            transfer->failure = error;
        reply->abort();
    };
    const auto timedOut = std::make_exception_ptr(TransportError::timedOut());
    const qint64 maximumSize = limits.maximumAnswerSize;
    auto* deadline = new TransferDeadline(
        limits.inactivity, limits.total, [stop, timedOut] { stop(timedOut); }, reply);
    // Weak: redirects announce headers too, and the first ones end it.
    QPointer<TransferDeadline> response = new TransferDeadline(
        TransferDeadline::Milliseconds::zero(), limits.response, [stop, timedOut] { stop(timedOut); }, reply);
    // Qt would read a 401 or 407 answer's body itself to authenticate: stop
    // such an answer before any of it is read, as Parley never signs in here.
    QObject::connect(&network, &QNetworkAccessManager::authenticationRequired, reply,
        [reply, stop, failures](QNetworkReply* asking) {
            if (asking == reply)
                stop(failures.authentication);
        });
    QObject::connect(&network, &QNetworkAccessManager::proxyAuthenticationRequired, reply,
        [stop, failures] { stop(failures.authentication); });
    QObject::connect(
        reply, &QNetworkReply::metaDataChanged, reply, [reply, deadline, response, stop, failures, maximumSize] {
            deadline->noteProgress();
            delete response.data();
            bool known = false;
            if (isAuthenticationStatus(*reply))
                stop(failures.authentication);
            else if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known) > maximumSize && known)
                stop(failures.tooLarge);
        });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, deadline, transfer, stop, failures, maximumSize] {
        deadline->noteProgress();
        transfer->body += reply->readAll();
        if (transfer->body.size() > maximumSize)
            stop(failures.tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, promise, transfer, notHTTP = failures.notHTTP] {
        reply->deleteLater();
        if (!transfer->failure)
            transfer->body += reply->readAll();
        settle(*promise, *reply, *transfer, notHTTP);
    });
    return promise->future();
}

} // namespace parley
