#pragma once

#include "community/CommunityEmoteProvider.h"

#include <QSize>
#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// One emote of a community service: the word that shows it and the
// double-scale image that draws it.
struct CommunityEmote {
    QString name;
    QString id;
    CommunityEmoteProvider provider = CommunityEmoteProvider::SevenTV;
    QUrl imageURL;
    // Width and height at the single scale, in points, when the service says.
    std::optional<QSize> size;
    bool animated = false;
    // Drawn over the emote before it instead of beside it.
    bool zeroWidth = false;

    friend bool operator==(const CommunityEmote&, const CommunityEmote&) = default;
};

} // namespace parley
