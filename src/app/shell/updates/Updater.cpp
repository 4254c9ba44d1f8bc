#include "app/shell/updates/Updater.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace parley {

Updater::Updater(std::optional<QUrl> feedURL, QString currentVersion, QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), feedURL_(std::move(feedURL)), currentVersion_(std::move(currentVersion)), network_(network)
{ }

Updater::~Updater()
{
    if (running_)
        running_->abort();
}

void Updater::startUpdater()
{
    check(false);
}

void Updater::checkForUpdates()
{
    check(true);
}

void Updater::check(bool userInitiated)
{
    if (!feedURL_) {
        if (userInitiated)
            emit checkFinished({ UpdateCheckResult::Outcome::notConfigured, currentVersion_, {}, {} }, true);
        return;
    }
    userInitiated_ = userInitiated_ || userInitiated;
    if (running_)
        return;
    QNetworkRequest request(*feedURL_);
    request.setTransferTimeout(int(timeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    running_ = network_.get(request);
    QNetworkReply* reply = running_;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received) {
        if (received > maxFeedSize)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void Updater::finish(QNetworkReply* reply)
{
    reply->deleteLater();
    const UpdateCheckResult result = resultOf(reply);
    const bool userInitiated = std::exchange(userInitiated_, false);
    emit checkFinished(result, userInitiated);
}

UpdateCheckResult Updater::resultOf(QNetworkReply* reply) const
{
    UpdateCheckResult result { UpdateCheckResult::Outcome::failed, currentVersion_, {}, {} };
    if (reply->bytesAvailable() > maxFeedSize) {
        result.error = QStringLiteral("The update feed is too large.");
        return result;
    }
    if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
        return result;
    }
    const std::optional<UpdateFeed> feed = UpdateFeed::parse(reply->readAll());
    if (!feed) {
        result.error = QStringLiteral("The update feed is not a release feed.");
        return result;
    }
    result.release = feed->newestAfter(currentVersion_);
    result.outcome = result.release ? UpdateCheckResult::Outcome::updateAvailable
                                    : UpdateCheckResult::Outcome::upToDate;
    return result;
}

} // namespace parley
