#pragma once

#include <QUrl>

namespace parley {

// Where the community emote services are: the real ones in a released
// bundle, the simulator's stand-ins in tests and the demo.
struct CommunityEmoteServices {
    QUrl betterTTVAPI;
    QUrl betterTTVCDN;
    QUrl frankerFaceZAPI;
    QUrl sevenTVAPI;

    friend bool operator==(const CommunityEmoteServices&, const CommunityEmoteServices&) = default;
};

} // namespace parley
