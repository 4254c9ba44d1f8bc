#pragma once

#include "platform/JsonReader.h"

#include <QHashFunctions>
#include <QJsonObject>
#include <QUrl>

namespace parley {

// The addresses of one emote's image at its three sizes.
struct TwitchEmoteImages {
    QUrl url1x;
    QUrl url2x;
    QUrl url4x;

    static TwitchEmoteImages fromJson(const JsonReader& json);
    QJsonObject toJson() const;

    friend bool operator==(const TwitchEmoteImages&, const TwitchEmoteImages&) = default;
};

inline size_t qHash(const TwitchEmoteImages& images, size_t seed = 0) noexcept
{
    return qHashMulti(seed, images.url1x, images.url2x, images.url4x);
}

} // namespace parley
