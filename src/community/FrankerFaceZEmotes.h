#pragma once

#include "community/CommunityEmote.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <optional>

namespace parley {

// Reads FrankerFaceZ's answers: the global answer {default_sets: [...],
// sets: {"ID": {emoticons: [...]}}} (only the default sets count) and a
// room's {room: {set: ID}, sets: {...}}. An emoticon's image is its "2" url,
// or the largest below it; an animated one's comes from its "animated" urls.
// Protocol-relative urls take the API's scheme. Entries with missing or
// unsafe fields are left out; nullopt when the answer is not of that shape.
class FrankerFaceZEmotes {
public:
    static std::optional<QList<CommunityEmote>> fromGlobal(const QByteArray& json, const QUrl& apiURL);
    static std::optional<QList<CommunityEmote>> fromRoom(const QByteArray& json, const QUrl& apiURL);

    static std::optional<CommunityEmote> emote(const QJsonObject& emoticon, const QUrl& apiURL);
};

} // namespace parley
