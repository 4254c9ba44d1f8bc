#pragma once

#include "twitch-sim/HttpReply.h"
#include "twitch-sim/SimModel.h"
#include "twitch-sim/SimRequest.h"

#include <QHash>
#include <QUrl>

namespace parley::sim {

// Stand-ins of the three community emote services, in their dialects:
//   BetterTTV     /bttv/3/cached/emotes/global, /bttv/3/cached/users/twitch/ID,
//                 images /bttv-cdn/emote/ID/{1x,2x,3x}
//   FrankerFaceZ  /ffz/v1/set/global, /ffz/v1/room/id/ID, images (addresses
//                 protocol-relative) /ffz-cdn/emote/ID/{1,2,4} and
//                 /ffz-cdn/emote/ID/animated/{1,2,4}
//   7TV           /7tv/v3/emote-sets/global, /7tv/v3/users/twitch/ID, images
//                 (host url protocol-relative) /7tv-cdn/emote/ID/{1x..4x}.webp
//                 (the AVIF files are listed, as 7TV does, but not served)
// A channel with no emotes of a service gets that service's 404.
class CommunityStandIns {
public:
    static bool handles(const QString& path);
    HttpReply route(const SimRequest& request, const SimModel& model, const QUrl& base) const;

    static constexpr int pointHeight = 28;

private:
    HttpReply image(const SimRequest& request, const SimModel& model) const;

    mutable QHash<QString, QByteArray> images_; // by path
};

} // namespace parley::sim
