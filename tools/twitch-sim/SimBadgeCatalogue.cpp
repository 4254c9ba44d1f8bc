#include "twitch-sim/SimBadgeCatalogue.h"

#include <QBuffer>
#include <QJsonArray>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>

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

QColor colorOf(const QString& setID)
{
    static const QHash<QString, QColor> colors {
        { QStringLiteral("broadcaster"), QColor(0xE9, 0x19, 0x16) },
        { QStringLiteral("moderator"), QColor(0x00, 0xAD, 0x03) },
        { QStringLiteral("vip"), QColor(0xE0, 0x05, 0xB9) },
        { QStringLiteral("subscriber"), QColor(0x91, 0x47, 0xFF) },
        { QStringLiteral("turbo"), QColor(0x59, 0x39, 0x9A) },
        { QStringLiteral("premium"), QColor(0x00, 0x96, 0xD6) },
        { QStringLiteral("partner"), QColor(0x91, 0x47, 0xFF) },
        { QStringLiteral("staff"), QColor(0x20, 0x20, 0x20) },
    };
    return colors.value(setID, QColor(0xD9, 0xA4, 0x00));
}

// A rounded square in the set's colour with a white sign: a sword for
// moderators, a diamond for VIPs, a star for subscribers, a camera for the
// broadcaster, a dot for the rest.
QImage badgeImage(const QString& setID, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 18.0, size / 18.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colorOf(setID));
    painter.drawRoundedRect(QRectF(0, 0, 18, 18), 3, 3);
    painter.setBrush(Qt::white);
    if (setID == QLatin1String("moderator")) {
        painter.drawPolygon(QPolygonF({ { 14, 3 }, { 15, 4 }, { 7, 12 }, { 6, 11 } }));
        painter.drawRect(QRectF(3.5, 12, 4, 2));
        painter.drawRect(QRectF(4.5, 9, 2, 6));
    } else if (setID == QLatin1String("vip")) {
        painter.drawPolygon(QPolygonF({ { 9, 3 }, { 15, 8 }, { 9, 15 }, { 3, 8 } }));
    } else if (setID == QLatin1String("subscriber")) {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 ? 2.6 : 6.5;
            const double angle = M_PI / 5 * i - M_PI / 2;
            star << QPointF(9 + radius * std::cos(angle), 9.5 + radius * std::sin(angle));
        }
        painter.drawPolygon(star);
    } else if (setID == QLatin1String("broadcaster")) {
        painter.drawRoundedRect(QRectF(3, 6, 8, 7), 1, 1);
        painter.drawPolygon(QPolygonF({ { 11, 9.5 }, { 15, 6.5 }, { 15, 12.5 } }));
    } else {
        painter.drawEllipse(QPointF(9, 9), 4, 4);
    }
    painter.end();
    return image;
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
    // The set alone picks the look, so one set's versions look alike.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    badgeImage(parts[3].section(u'-', 0, 0), sizes[std::size_t(scale - 1)]).save(&buffer, "PNG");
    return bytes;
}

} // namespace parley::sim
