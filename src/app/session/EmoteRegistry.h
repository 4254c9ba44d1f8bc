#pragma once

#include "app/session/EmoteRegistryProtocol.h"
#include "app/session/EmoteSetStatus.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QFuture>
#include <QSet>

#include <chrono>
#include <deque>
#include <functional>

namespace parley {

using EmoteSetStatuses = QHash<EmoteSet, EmoteSetStatus>;

// The session's memory of emote records, filled set by set from the emote
// catalogue on demand. Main thread only: requests arrive there and every
// fetch hands its result back there before touching the tables.
class EmoteRegistry final : public EmoteRegistryProtocol {
    Q_OBJECT
    Q_PROPERTY(parley::EmoteSetStatuses sets READ sets NOTIFY setsChanged)

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Custom sets fetched at the same time; the rest wait their turn.
    static constexpr int maxConcurrentSetFetches = 25;
    // A failed set is not fetched again sooner than this after its failure.
    static constexpr std::chrono::seconds retryFloor { 60 };

    // `clock` measures the retry floor.
    EmoteRegistry(TwitchAPI twitch, TwitchUserAccessToken accessToken, QObject* parent = nullptr,
        Clock clock = &std::chrono::steady_clock::now);

    const EmoteTable& emotes() const override { return emotes_; }
    // Status of every set ever asked for; a set that is absent was never asked for.
    const EmoteSetStatuses& sets() const { return sets_; }

    // Fetches the set unless it is loaded already, or failed less than
    // `retryFloor` ago (it stays failed). A global or channel set that is
    // loading is fetched again (the later fetch decides its final status); a
    // custom set waits in line, at most `maxConcurrentSetFetches` in flight,
    // and is not asked for twice while it waits or loads.
    void loadEmoteSet(const EmoteSet& set) override;

    // From the template of the catalogue answers, with format "static" (or
    // "animated"), theme "light" and scale "2.0"; only for ids of ASCII letters, digits
    // and "_", once the global set and a channel set are loaded.
    std::optional<QUrl> templateImageURL(const QString& emoteID, bool animated = false) const override;

    // Custom set fetches running now (at most maxConcurrentSetFetches).
    int customFetchesInFlight() const { return customFetches_; }

signals:
    void setsChanged();

private:
    bool mayFetch(const EmoteSet& set) const;
    void queueCustomSet(const EmoteSet& set);
    void startWaitingFetches();
    void startFetch(const EmoteSet& set);
    bool hasTemplate() const;
    QFuture<TwitchEmoteSet> fetch(const EmoteSet& set) const;
    void finishFetch(const EmoteSet& set, QFuture<TwitchEmoteSet> result);
    void merge(const QList<TwitchEmote>& fetched);
    void setStatus(const EmoteSet& set, EmoteSetStatus status);
    void discoverSets(const QList<TwitchEmote>& fetched);

    const TwitchAPI twitch_;
    const TwitchUserAccessToken accessToken_;
    const Clock clock_;
    EmoteTable emotes_;
    EmoteSetStatuses sets_;
    QHash<EmoteSet, std::chrono::steady_clock::time_point> failedAt_;
    std::deque<EmoteSet> waiting_;
    QSet<EmoteSet> waitingOrLoading_; // custom sets in line or in flight
    int customFetches_ = 0;
    QString template_;
};

} // namespace parley
