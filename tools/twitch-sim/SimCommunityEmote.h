#pragma once

#include <QString>

namespace parley::sim {

// An emote of one of the community services the simulator stands in for.
struct SimCommunityEmote {
    enum class Service { betterTTV, frankerFaceZ, sevenTV };
    // A still square, an animated GIF, an animated WEBP, a still three times
    // as wide as high.
    enum class Art { still, gif, webp, wide };

    Service service = Service::betterTTV;
    QString id; // as the service spells it (FrankerFaceZ: digits)
    QString name; // the word in chat (7TV: the channel's name for it)
    QString channelID; // the Twitch user id of the channel; empty: a global emote
    Art art = Art::still;
    bool zeroWidth = false; // 7TV only
    QString originalName = {}; // 7TV: the emote's own name when the channel renamed it
    bool hasDoubleScale = true; // FrankerFaceZ: some emoticons only have scale 1

    bool isGlobal() const { return channelID.isEmpty(); }
    bool isAnimated() const { return art == Art::gif || art == Art::webp; }
    int widthFactor() const { return art == Art::wide ? 3 : 1; }
};

} // namespace parley::sim
