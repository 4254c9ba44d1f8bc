#pragma once

#include "community/CommunityEmote.h"
#include "community/CommunityEmoteClient.h"
#include "community/CommunityEmoteNames.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <chrono>
#include <memory>

namespace parley {

// The community emotes of one channel: the three services' global and
// channel sets, each loaded once in parallel and kept on its own. A set that
// fails to load is tried again after `retryDelay` (and again after each
// failure); a service that fails or is slow never holds up the others. Words
// resolve channel sets before global ones, then 7TV, BetterTTV,
// FrankerFaceZ, through one merged table rebuilt whenever a set arrives.
// Lives on the main thread.
class CommunityEmoteCatalogue : public QObject {
    Q_OBJECT
public:
    enum class Scope { channel, global };

    explicit CommunityEmoteCatalogue(CommunityEmoteClient client, QObject* parent = nullptr);
    ~CommunityEmoteCatalogue() override;

    // Forgets any earlier channel's sets and loads the six sets for the
    // channel with this Twitch user id (of the services switched on).
    void load(const QString& roomID);
    const QString& roomID() const { return roomID_; }

    // A service switched off is not asked and its emotes match no word;
    // switched on again, its sets load if they are not there yet.
    void setProviderEnabled(CommunityEmoteProvider provider, bool enabled);
    bool isProviderEnabled(CommunityEmoteProvider provider) const;

    // The emote a chat word shows, or null. Valid until emotesChanged.
    const CommunityEmote* find(QStringView word) const;
    qsizetype count() const { return merged_.size(); }

    // A set as it arrived (empty until then, and after a 404).
    QList<CommunityEmote> emotes(CommunityEmoteProvider provider, Scope scope) const;
    bool isLoaded(CommunityEmoteProvider provider, Scope scope) const;

    static constexpr std::chrono::milliseconds defaultRetryDelay = std::chrono::seconds(60);
    void setRetryDelay(std::chrono::milliseconds delay) { retryDelay_ = delay; }

signals:
    // A set arrived or a service was switched on or off.
    void emotesChanged();
    // A set could not be loaded (it is tried again later); for logs.
    void loadFailed(parley::CommunityEmoteProvider provider, parley::CommunityEmoteCatalogue::Scope scope,
        const QString& description);

private:
    struct Slot {
        QList<CommunityEmote> emotes;
        bool loaded = false;
        bool loading = false;
        std::unique_ptr<QTimer> retry;
    };

    static constexpr qsizetype slotCount = 6;
    static qsizetype slotIndex(CommunityEmoteProvider provider, Scope scope);

    void start(CommunityEmoteProvider provider, Scope scope);
    void receive(CommunityEmoteProvider provider, Scope scope, quint64 generation, QFuture<QList<CommunityEmote>> result);
    void scheduleRetry(CommunityEmoteProvider provider, Scope scope);
    void rebuild();

    CommunityEmoteClient client_;
    QString roomID_;
    quint64 generation_ = 0;
    std::array<Slot, slotCount> slots_;
    std::array<bool, 3> enabled_ { true, true, true };
    CommunityEmoteNames merged_;
    std::chrono::milliseconds retryDelay_ = defaultRetryDelay;
};

} // namespace parley
