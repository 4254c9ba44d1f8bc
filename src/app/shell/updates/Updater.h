#pragma once

#include "app/shell/updates/UpdateCheckResult.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace parley {

// Checks the release feed named by the bundle for a version newer than the
// running one: once at launch (startUpdater) and whenever the user asks
// (checkForUpdates). One check runs at a time; asking again during a check
// makes it count as the user's.
class Updater : public QObject {
    Q_OBJECT

public:
    Updater(
        std::optional<QUrl> feedURL, QString currentVersion, QNetworkAccessManager& network, QObject* parent = nullptr);
    ~Updater() override;

    bool hasFeed() const { return feedURL_.has_value(); }
    void startUpdater();
    void checkForUpdates();

    static constexpr qint64 maxFeedSize = 1024 * 1024;
    static constexpr std::chrono::milliseconds timeout = std::chrono::seconds(30);

signals:
    void checkFinished(const parley::UpdateCheckResult& result, bool userInitiated);

private:
    void check(bool userInitiated);
    void finish(QNetworkReply* reply);
    UpdateCheckResult resultOf(QNetworkReply* reply) const;

    const std::optional<QUrl> feedURL_;
    const QString currentVersion_;
    QNetworkAccessManager& network_;
    QPointer<QNetworkReply> running_;
    bool userInitiated_ = false;
};

} // namespace parley
