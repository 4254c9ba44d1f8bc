#include "community/CommunityEmoteCatalogue.h"

#include "platform/Error.h"
#include "platform/WhenFinished.h"

namespace parley {

CommunityEmoteCatalogue::CommunityEmoteCatalogue(CommunityEmoteClient client, QObject* parent)
    : QObject(parent), client_(std::move(client))
{ }

CommunityEmoteCatalogue::~CommunityEmoteCatalogue() = default;

qsizetype CommunityEmoteCatalogue::slotIndex(CommunityEmoteProvider provider, Scope scope)
{
    return qsizetype(provider) * 2 + (scope == Scope::channel ? 0 : 1);
}

void CommunityEmoteCatalogue::load(const QString& roomID)
{
    roomID_ = roomID;
    ++generation_;
    for (Slot& slot : slots_)
        slot = Slot {};
    rebuild();
    for (CommunityEmoteProvider provider : communityEmoteProviders) {
        start(provider, Scope::channel);
        start(provider, Scope::global);
    }
}

void CommunityEmoteCatalogue::setProviderEnabled(CommunityEmoteProvider provider, bool enabled)
{
    if (std::exchange(enabled_[size_t(provider)], enabled) == enabled)
        return;
    if (enabled && generation_ > 0) {
        start(provider, Scope::channel);
        start(provider, Scope::global);
    }
    rebuild();
    emit emotesChanged();
}

bool CommunityEmoteCatalogue::isProviderEnabled(CommunityEmoteProvider provider) const
{
    return enabled_[size_t(provider)];
}

const CommunityEmote* CommunityEmoteCatalogue::find(QStringView word) const
{
    return merged_.find(word);
}

QList<CommunityEmote> CommunityEmoteCatalogue::emotes(CommunityEmoteProvider provider, Scope scope) const
{
    return slots_[slotIndex(provider, scope)].emotes;
}

bool CommunityEmoteCatalogue::isLoaded(CommunityEmoteProvider provider, Scope scope) const
{
    return slots_[slotIndex(provider, scope)].loaded;
}

// Starts the set's load unless it is there, on its way, switched off or
// waiting for its retry.
void CommunityEmoteCatalogue::start(CommunityEmoteProvider provider, Scope scope)
{
    Slot& slot = slots_[slotIndex(provider, scope)];
    const bool waiting = slot.retry && slot.retry->isActive();
    if (slot.loaded || slot.loading || waiting || !isProviderEnabled(provider))
        return;
    slot.loading = true;
    QFuture<QList<CommunityEmote>> future =
        scope == Scope::global ? client_.globalEmotes(provider) : client_.channelEmotes(provider, roomID_);
    whenFinished(future, this, [this, provider, scope, generation = generation_](QFuture<QList<CommunityEmote>> result) {
        receive(provider, scope, generation, std::move(result));
    });
}

void CommunityEmoteCatalogue::receive(
    CommunityEmoteProvider provider, Scope scope, quint64 generation, QFuture<QList<CommunityEmote>> result)
{
    if (generation != generation_)
        return;
    Slot& slot = slots_[slotIndex(provider, scope)];
    slot.loading = false;
    try {
        slot.emotes = result.result();
    } catch (...) {
        emit loadFailed(provider, scope, describe(std::current_exception()));
        scheduleRetry(provider, scope);
        return;
    }
    slot.loaded = true;
    rebuild();
    emit emotesChanged();
}

void CommunityEmoteCatalogue::scheduleRetry(CommunityEmoteProvider provider, Scope scope)
{
    Slot& slot = slots_[slotIndex(provider, scope)];
    if (!slot.retry) {
        slot.retry = std::make_unique<QTimer>();
        slot.retry->setSingleShot(true);
        connect(slot.retry.get(), &QTimer::timeout, this, [this, provider, scope] { start(provider, scope); });
    }
    slot.retry->start(retryDelay_);
}

void CommunityEmoteCatalogue::rebuild()
{
    merged_.clear();
    for (Scope scope : { Scope::channel, Scope::global })
        for (CommunityEmoteProvider provider : communityEmoteProviders) {
            if (!isProviderEnabled(provider))
                continue;
            for (const CommunityEmote& emote : slots_[slotIndex(provider, scope)].emotes)
                merged_.add(emote);
        }
}

} // namespace parley
