#include "app/session/EmoteRegistry.h"

#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/WhenFinished.h"

#include <QSet>

#include <algorithm>

namespace parley {

namespace {

bool isTemplateSafeID(const QString& id)
{
    return !id.isEmpty() && std::all_of(id.cbegin(), id.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
}

} // namespace

EmoteRegistry::EmoteRegistry(TwitchAPI twitch, TwitchUserAccessToken accessToken, QObject* parent, Clock clock)
    : EmoteRegistryProtocol(parent)
    , twitch_(std::move(twitch))
    , accessToken_(std::move(accessToken))
    , clock_(std::move(clock))
{ }

void EmoteRegistry::loadEmoteSet(const EmoteSet& set)
{
    if (!mayFetch(set))
        return;
    if (set.kind() == EmoteSet::Kind::custom) {
        queueCustomSet(set);
        return;
    }
    setStatus(set, EmoteSetStatus::loading);
    startFetch(set);
}

bool EmoteRegistry::mayFetch(const EmoteSet& set) const
{
    switch (sets_.value(set, EmoteSetStatus::loading)) {
    case EmoteSetStatus::loaded:
        return false;
    case EmoteSetStatus::failed:
        return clock_() - failedAt_.value(set) >= retryFloor;
    case EmoteSetStatus::loading:
        break;
    }
    return true;
}

void EmoteRegistry::queueCustomSet(const EmoteSet& set)
{
    if (waitingOrLoading_.contains(set))
        return;
    waitingOrLoading_.insert(set);
    waiting_.push_back(set);
    setStatus(set, EmoteSetStatus::loading);
    startWaitingFetches();
}

void EmoteRegistry::startWaitingFetches()
{
    while (customFetches_ < maxConcurrentSetFetches && !waiting_.empty()) {
        const EmoteSet set = waiting_.front();
        waiting_.pop_front();
        ++customFetches_;
        startFetch(set);
    }
}

void EmoteRegistry::startFetch(const EmoteSet& set)
{
    // A fetch that completes after the registry is gone is dropped.
    whenFinished(fetch(set), this, [this, set](QFuture<TwitchEmoteSet> result) {
        const bool isCustom = set.kind() == EmoteSet::Kind::custom;
        if (isCustom) {
            --customFetches_;
            waitingOrLoading_.remove(set);
        }
        finishFetch(set, result);
        if (isCustom)
            startWaitingFetches();
    });
}

std::optional<QUrl> EmoteRegistry::templateImageURL(const QString& emoteID, bool animated) const
{
    if (!hasTemplate() || !isTemplateSafeID(emoteID))
        return std::nullopt;
    QString address = template_;
    address.replace(QStringLiteral("{{id}}"), emoteID)
        .replace(QStringLiteral("{{format}}"), animated ? QStringLiteral("animated") : QStringLiteral("static"))
        .replace(QStringLiteral("{{theme_mode}}"), QStringLiteral("light"))
        .replace(QStringLiteral("{{scale}}"), QStringLiteral("2.0"));
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"https" && url.scheme() != u"http"))
        return std::nullopt;
    return url;
}

// Usable once the global set and a channel set are loaded: an id missing
// from both is another channel's emote, not one still on its way.
bool EmoteRegistry::hasTemplate() const
{
    if (template_.isEmpty() || sets_.value(EmoteSet::global()) != EmoteSetStatus::loaded)
        return false;
    return std::any_of(sets_.keyValueBegin(), sets_.keyValueEnd(), [](const auto& entry) {
        return entry.first.kind() == EmoteSet::Kind::channel && entry.second == EmoteSetStatus::loaded;
    });
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
        failedAt_.insert(set, clock_());
        setStatus(set, EmoteSetStatus::failed);
        return;
    }
    const bool hadTemplate = hasTemplate();
    if (!fetched.template_.isEmpty())
        template_ = fetched.template_;
    merge(fetched.emotes);
    setStatus(set, EmoteSetStatus::loaded);
    // Emotes waiting for a record may now load from the template.
    if (!hadTemplate && hasTemplate())
        emit emotesChanged();
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
