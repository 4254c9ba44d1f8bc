#pragma once

#include "platform/JsonReader.h"
#include "twitch/api/TwitchEmote.h"

#include <QJsonObject>
#include <QList>
#include <QString>

namespace parley {

// The body of every Helix emote catalogue answer.
struct TwitchEmotesResponse {
    QList<TwitchEmote> data;
    // The service's URL pattern for emote images, carried along unexpanded.
    // (`template_`: "template" is a C++ keyword.)
    QString template_;

    static TwitchEmotesResponse fromJson(const JsonReader& json);
    QJsonObject toJson() const;

    friend bool operator==(const TwitchEmotesResponse&, const TwitchEmotesResponse&) = default;
};

} // namespace parley
