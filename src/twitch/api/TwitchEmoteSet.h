#pragma once

#include "platform/JsonReader.h"
#include "twitch/api/TwitchEmote.h"
#include "twitch/api/TwitchEmotesResponse.h"

#include <QJsonObject>
#include <QList>
#include <QString>

namespace parley {

// A fetched emote catalogue: the response's records and template, unchanged.
struct TwitchEmoteSet {
    QList<TwitchEmote> emotes;
    QString template_;

    static TwitchEmoteSet fromResponse(TwitchEmotesResponse response);
    static TwitchEmoteSet fromJson(const JsonReader& json);
    QJsonObject toJson() const;

    friend bool operator==(const TwitchEmoteSet&, const TwitchEmoteSet&) = default;
};

} // namespace parley
