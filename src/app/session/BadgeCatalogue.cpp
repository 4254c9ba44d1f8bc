#include "app/session/BadgeCatalogue.h"

#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/WhenFinished.h"

#include <QTimer>

namespace parley {
namespace {

QString keyOf(const QString& setID, const QString& version)
{
    return setID + u'/' + version;
}

} // namespace

BadgeCatalogue::BadgeCatalogue(
    TwitchAPI twitch, TwitchUserAccessToken accessToken, QObject* parent, std::chrono::milliseconds retryDelay)
    : QObject(parent), twitch_(std::move(twitch)), accessToken_(std::move(accessToken)), retryDelay_(retryDelay)
{ }

void BadgeCatalogue::loadGlobal()
{
    fetch(false);
}

void BadgeCatalogue::loadChannel(const QString& roomID)
{
    if (roomID.isEmpty() || roomID == roomID_)
        return;
    roomID_ = roomID;
    if (!channel_.isEmpty()) {
        channel_.clear();
        emit badgesChanged();
    }
    fetch(true);
}

std::optional<TwitchBadgeVersion> BadgeCatalogue::find(const QString& setID, const QString& version) const
{
    const QString key = keyOf(setID, version);
    if (const auto found = channel_.constFind(key); found != channel_.cend())
        return *found;
    if (const auto found = global_.constFind(key); found != global_.cend())
        return *found;
    return std::nullopt;
}

void BadgeCatalogue::fetch(bool channel)
{
    const QString roomID = roomID_;
    auto request = channel ? twitch_.channelBadges(roomID, accessToken_) : twitch_.globalBadges(accessToken_);
    // A fetch that ends after the catalogue is gone is dropped.
    whenFinished(std::move(request), this, [this, channel, roomID](QFuture<QList<TwitchBadgeSet>> result) {
        finishFetch(channel, roomID, std::move(result));
    });
}

void BadgeCatalogue::finishFetch(bool channel, const QString& roomID, QFuture<QList<TwitchBadgeSet>> result)
{
    // The channel's answer for a room left meanwhile is not this channel's.
    if (channel && roomID != roomID_)
        return;
    try {
        result.waitForFinished(); // rethrows the fetch's failure
        if (result.resultCount() == 0)
            throw Error(QStringLiteral("The request was cancelled"));
        (channel ? channel_ : global_) = tableOf(result.result());
    } catch (...) {
        Diagnostics::write(QStringLiteral("BadgeCatalogue.fetchFailed: %1 %2")
                               .arg(channel ? QStringLiteral("channel") : QStringLiteral("global"),
                                   describe(std::current_exception())));
        QTimer::singleShot(retryDelay_, this, [this, channel, roomID] {
            if (!channel || roomID == roomID_)
                fetch(channel);
        });
        return;
    }
    emit badgesChanged();
}

BadgeCatalogue::Table BadgeCatalogue::tableOf(const QList<TwitchBadgeSet>& sets)
{
    Table table;
    for (const TwitchBadgeSet& set : sets)
        for (const TwitchBadgeVersion& version : set.versions)
            table.insert(keyOf(set.setID, version.id), version);
    return table;
}

} // namespace parley
