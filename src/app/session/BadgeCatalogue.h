#pragma once

#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchBadgeSet.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace parley {

// The session's chat badges: the global catalogue and the joined channel's,
// each loaded once. A catalogue that fails to load is asked for again after
// `retryDelay`, never sooner; the chat goes on meanwhile, its badges skipped.
// Main thread only.
class BadgeCatalogue final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds retryFloor = std::chrono::seconds(60);

    BadgeCatalogue(TwitchAPI twitch, TwitchUserAccessToken accessToken, QObject* parent = nullptr,
        std::chrono::milliseconds retryDelay = retryFloor);

    void loadGlobal();
    // Loads the badges of the channel with room id `roomID`, unless they are
    // already loaded or loading; another room replaces them.
    void loadChannel(const QString& roomID);
    const QString& roomID() const { return roomID_; }

    // A badge as the channel shows it: the channel's own version first, then
    // the global one; none for a badge neither knows (yet).
    std::optional<TwitchBadgeVersion> find(const QString& setID, const QString& version) const;

signals:
    // Badges were added or replaced.
    void badgesChanged();

private:
    using Table = QHash<QString, TwitchBadgeVersion>; // by "set/version"

    void fetch(bool channel);
    void finishFetch(bool channel, const QString& roomID, QFuture<QList<TwitchBadgeSet>> result);
    static Table tableOf(const QList<TwitchBadgeSet>& sets);

    const TwitchAPI twitch_;
    const TwitchUserAccessToken accessToken_;
    const std::chrono::milliseconds retryDelay_;
    Table global_;
    Table channel_;
    QString roomID_;
};

} // namespace parley
