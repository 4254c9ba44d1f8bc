#pragma once

#include "twitch-sim/SimModel.h"

#include <QJsonObject>
#include <QList>
#include <QUrl>

namespace parley::sim {

// The JSON of the Helix emote answers, record fields as each endpoint sends
// them: global emotes carry no set, channel emotes add tier, type and set, set
// emotes add type, set and owner.
class HelixCatalogue {
public:
    enum class Endpoint { global, channel, set };

    static QJsonObject response(const QList<SimEmote>& emotes, Endpoint endpoint, const QUrl& base);
    static QJsonObject record(const SimEmote& emote, Endpoint endpoint, const QUrl& base);
    static QString imagePath(const QString& emoteID, const QString& format, const QString& theme, const QString& scale);
};

} // namespace parley::sim
