#include "twitch-sim/SimBadgeCatalogue.h"

#include "twitch-sim/EmoteArt.h"

#include <QJsonArray>

#include <array>

namespace parley::sim {
namespace {

struct BadgeVersion {
    const char* setID;
    const char* version;
    const char* title;
};

constexpr std::array<BadgeVersion, 13> globalBadges { {
    { "broadcaster", "1", "Broadcaster" },
    { "moderator", "1", "Moderator" },
    { "vip", "1", "VIP" },
    { "turbo", "1", "Turbo" },
    { "premium", "1", "Prime Gaming" },
    { "partner", "1", "Verified" },
    { "staff", "1", "Staff" },
    { "bits", "1", "cheer 1" },
    { "bits", "100", "cheer 100" },
    { "bits", "1000", "cheer 1000" },
    { "bits", "5000", "cheer 5000" },
    { "subscriber", "0", "Subscriber" },
    { "subscriber", "3", "3-Month Subscriber" },
} };

// The channel's tiers replace the default subscriber badges.
constexpr std::array<BadgeVersion, 12> channelBadges { {
    { "subscriber", "0", "Subscriber" },
    { "subscriber", "1", "Subscriber" },
    { "subscriber", "2", "Subscriber" },
    { "subscriber", "3", "Subscriber" },
    { "subscriber", "6", "Subscriber" },
    { "subscriber", "9", "Subscriber" },
    { "subscriber", "12", "Subscriber" },
    { "subscriber", "24", "Subscriber" },
    { "subscriber", "36", "Subscriber" },
    { "subscriber", "48", "Subscriber" },
    { "bits", "100", "cheer 100" },
    { "bits", "1000", "cheer 1000" },
} };

// Channel badges draw apart from the global ones of the same set and version.
QString imageID(const BadgeVersion& badge, bool channel)
{
    return QStringLiteral("%1-%2%3").arg(QLatin1String(badge.setID), QLatin1String(badge.version),
        channel ? QStringLiteral("-channel") : QString());
}

template <std::size_t N>
QJsonObject response(const std::array<BadgeVersion, N>& badges, bool channel, const QUrl& base)
{
    const auto url = [&](const BadgeVersion& badge, int scale) {
        QUrl address = base;
        address.setPath(QStringLiteral("/badges/v1/%1/%2").arg(imageID(badge, channel)).arg(scale));
        return address.toString(QUrl::FullyEncoded);
    };
    QJsonArray data;
    for (const BadgeVersion& badge : badges) {
        const QString setID = QLatin1String(badge.setID);
        if (data.isEmpty() || data.last()[QLatin1String("set_id")].toString() != setID)
            data.append(QJsonObject { { QStringLiteral("set_id"), setID }, { QStringLiteral("versions"), QJsonArray() } });
        QJsonObject set = data.last().toObject();
        QJsonArray versions = set[QLatin1String("versions")].toArray();
        versions.append(QJsonObject {
            { QStringLiteral("id"), QLatin1String(badge.version) },
            { QStringLiteral("image_url_1x"), url(badge, 1) },
            { QStringLiteral("image_url_2x"), url(badge, 2) },
            { QStringLiteral("image_url_4x"), url(badge, 3) },
            { QStringLiteral("title"), QLatin1String(badge.title) },
            { QStringLiteral("description"), QLatin1String(badge.title) },
            { QStringLiteral("click_action"), QJsonValue::Null },
            { QStringLiteral("click_url"), QJsonValue::Null },
        });
        set.insert(QStringLiteral("versions"), versions);
        data.replace(data.size() - 1, set);
    }
    return QJsonObject { { QStringLiteral("data"), data } };
}

} // namespace

QJsonObject SimBadgeCatalogue::globalResponse(const QUrl& base)
{
    return response(globalBadges, false, base);
}

QJsonObject SimBadgeCatalogue::channelResponse(const QUrl& base)
{
    return response(channelBadges, true, base);
}

std::optional<QByteArray> SimBadgeCatalogue::image(const QString& path)
{
    // /badges/v1/ID/SCALE
    const QStringList parts = path.split(u'/');
    if (parts.size() != 5 || parts[3].isEmpty())
        return std::nullopt;
    static constexpr std::array<int, 3> sizes { 18, 36, 72 };
    bool ok = false;
    const int scale = parts[4].toInt(&ok);
    if (!ok || scale < 1 || scale > int(sizes.size()))
        return std::nullopt;
    // The set alone picks the colour, so one set's versions look alike.
    return EmoteArt::png(parts[3].section(u'-', 0, 0), false, sizes[std::size_t(scale - 1)]);
}

} // namespace parley::sim
