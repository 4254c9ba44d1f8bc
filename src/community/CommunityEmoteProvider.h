#pragma once

#include <QStringView>

#include <array>

namespace parley {

// The community emote services, in the order a name found in several of
// them is resolved (the first wins).
enum class CommunityEmoteProvider { SevenTV, BetterTTV, FrankerFaceZ };

inline constexpr std::array<CommunityEmoteProvider, 3> communityEmoteProviders {
    CommunityEmoteProvider::SevenTV, CommunityEmoteProvider::BetterTTV, CommunityEmoteProvider::FrankerFaceZ
};

// "7tv", "bttv", "ffz": how tools and logs name the service.
constexpr QStringView wireName(CommunityEmoteProvider provider)
{
    switch (provider) {
    case CommunityEmoteProvider::SevenTV:
        return u"7tv";
    case CommunityEmoteProvider::BetterTTV:
        return u"bttv";
    case CommunityEmoteProvider::FrankerFaceZ:
        return u"ffz";
    }
    return {};
}

} // namespace parley
