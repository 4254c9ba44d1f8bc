#pragma once

#include "community/CommunityEmote.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <optional>

namespace parley {

// Reads 7TV's answers: an emote set ({emotes: [...]}, the global answer) and
// a Twitch user's connection ({emote_set: {...}}). A set entry is {id, name,
// flags, data: {animated, host: {url, files: [{name, width, height,
// format}]}}}: the entry's name is the word (a channel may rename an emote),
// bit 1 of its flags marks it zero-width, and the image is the host url +
// "/" + the "2x" file (WEBP before GIF and PNG; the "1x" one when there is
// no 2x). Entries with missing or unsafe fields are left out; nullopt when
// the answer is not of that shape.
class SevenTVEmotes {
public:
    static std::optional<QList<CommunityEmote>> fromEmoteSet(const QByteArray& json, const QUrl& apiURL);
    static std::optional<QList<CommunityEmote>> fromUser(const QByteArray& json, const QUrl& apiURL);

    static std::optional<CommunityEmote> emote(const QJsonObject& entry, const QUrl& apiURL);

    static constexpr int zeroWidthFlag = 1;
};

} // namespace parley
