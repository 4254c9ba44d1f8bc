#pragma once

#include "app/session/EmoteRegistryProtocol.h"
#include "app/session/EmoteSetStatus.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QFuture>

namespace parley {

using EmoteSetStatuses = QHash<EmoteSet, EmoteSetStatus>;

// The session's memory of emote records, filled set by set from the emote
// catalogue on demand. Main thread only: requests arrive there and every
// fetch hands its result back there before touching the tables.
class EmoteRegistry final : public EmoteRegistryProtocol {
    Q_OBJECT
    Q_PROPERTY(parley::EmoteSetStatuses sets READ sets NOTIFY setsChanged)

public:
    EmoteRegistry(TwitchAPI twitch, TwitchUserAccessToken accessToken, QObject* parent = nullptr);

    const EmoteTable& emotes() const override { return emotes_; }
    // Status of every set ever asked for; a set that is absent was never asked for.
    const EmoteSetStatuses& sets() const { return sets_; }

    // Fetches the set unless it is loaded already. A set that is loading or
    // failed is fetched again; the later of two overlapping fetches decides
    // its final status.
    void loadEmoteSet(const EmoteSet& set) override;

signals:
    void setsChanged();

private:
    QFuture<TwitchEmoteSet> fetch(const EmoteSet& set) const;
    void finishFetch(const EmoteSet& set, QFuture<TwitchEmoteSet> result);
    void merge(const QList<TwitchEmote>& fetched);
    void setStatus(const EmoteSet& set, EmoteSetStatus status);
    void discoverSets(const QList<TwitchEmote>& fetched);

    const TwitchAPI twitch_;
    const TwitchUserAccessToken accessToken_;
    EmoteTable emotes_;
    EmoteSetStatuses sets_;
};

} // namespace parley
