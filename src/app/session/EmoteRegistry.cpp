#include "EmoteRegistry.h"

#include "platform/WhenFinished.h"
#include "platform/Diagnostics.h"
#include "platform/Error.h"

#include <QSet>

namespace parley {

EmoteRegistry::EmoteRegistry(TwitchAPI twitch, TwitchUserAccessToken accessToken, QObject* parent)
    : EmoteRegistryProtocol(parent), twitch_(std::move(twitch)), accessToken_(std::move(accessToken))
{
}

void EmoteRegistry::loadEmoteSet(const EmoteSet& set)
{
    if (sets_.value(set, EmoteSetStatus::loading) == EmoteSetStatus::loaded)
        return;
    setStatus(set, EmoteSetStatus::loading);
    // A fetch that completes after the registry is gone is dropped.
    whenFinished(fetch(set), this, [this, set](QFuture<TwitchEmoteSet> result) { finishFetch(set, result); });
}

QFuture<TwitchEmoteSet> EmoteRegistry::fetch(const EmoteSet& set) const
{
    switch (set.kind()) {
    case EmoteSet::Kind::channel:
        return twitch_.channelEmotes(set.id(), accessToken_);
    case EmoteSet::Kind::custom:
        return twitch_.emoteSet(set.id(), accessToken_);
    case EmoteSet::Kind::global:
        break;
    }
    return twitch_.globalEmotes(accessToken_);
}

void EmoteRegistry::finishFetch(const EmoteSet& set, QFuture<TwitchEmoteSet> result)
{
    TwitchEmoteSet fetched;
    try {
        result.waitForFinished(); // rethrows the fetch's failure
        if (result.resultCount() == 0)
            throw Error(QStringLiteral("The request was cancelled"));
        fetched = result.result();
    } catch (...) {
        Diagnostics::write(QStringLiteral("EmoteRegistry.fetchFailed: %1 %2")
                               .arg(set.description(), describe(std::current_exception())));
        setStatus(set, EmoteSetStatus::failed);
        return;
    }
    merge(fetched.emotes);
    setStatus(set, EmoteSetStatus::loaded);
    discoverSets(fetched.emotes);
}

void EmoteRegistry::merge(const QList<TwitchEmote>& fetched)
{
    if (fetched.isEmpty())
        return;
    for (const TwitchEmote& emote : fetched)
        emotes_.insert(emote.id, emote);
    emit emotesChanged();
}

void EmoteRegistry::setStatus(const EmoteSet& set, EmoteSetStatus status)
{
    sets_.insert(set, status);
    emit setsChanged();
}

void EmoteRegistry::discoverSets(const QList<TwitchEmote>& fetched)
{
    QSet<QString> setIDs;
    for (const TwitchEmote& emote : fetched)
        if (emote.emoteSetID)
            setIDs.insert(*emote.emoteSetID);
    for (const QString& id : std::as_const(setIDs))
        loadEmoteSet(EmoteSet::custom(id));
}

} // namespace parley
