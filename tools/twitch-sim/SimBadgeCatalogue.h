#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace parley::sim {

// The Helix chat badge answers: a global catalogue (broadcaster, moderator,
// vip, turbo, premium, partner, staff, bits and the default subscriber
// badges) and every channel's own subscriber and bits badges, with images
// at /badges/v1/SET-VERSION/SCALE (18, 36 and 72 pixels for the scales 1, 2
// and 3), as the live catalogue serves them.
class SimBadgeCatalogue {
public:
    static QJsonObject globalResponse(const QUrl& base);
    static QJsonObject channelResponse(const QUrl& base);
    static bool handles(const QString& path) { return path.startsWith(QLatin1String("/badges/v1/")); }
    // The PNG at `path`; none for an address the catalogue does not name.
    static std::optional<QByteArray> image(const QString& path);
};

} // namespace parley::sim
