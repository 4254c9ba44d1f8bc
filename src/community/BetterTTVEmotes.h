#pragma once

#include "community/CommunityEmote.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <optional>

namespace parley {

// Reads BetterTTV's answers. The global set is an array of {id, code,
// imageType, animated}; a channel is {channelEmotes: [...], sharedEmotes:
// [...]}. Images come from the CDN at /emote/{id}/2x. Entries with missing or
// unsafe fields are left out; nullopt when the answer is not of that shape.
class BetterTTVEmotes {
public:
    static std::optional<QList<CommunityEmote>> fromGlobal(const QByteArray& json, const QUrl& cdnURL);
    static std::optional<QList<CommunityEmote>> fromChannel(const QByteArray& json, const QUrl& cdnURL);

    static std::optional<CommunityEmote> emote(const QJsonObject& entry, const QUrl& cdnURL);
};

} // namespace parley
