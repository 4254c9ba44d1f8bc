#include "twitch-sim/HelixCatalogue.h"

#include <QJsonArray>

namespace parley::sim {
namespace {

QString imageURL(const QUrl& base, const SimEmote& emote, const char* scale)
{
    QUrl url = base;
    url.setPath(HelixCatalogue::imagePath(
        emote.id, QStringLiteral("static"), QStringLiteral("light"), QString::fromLatin1(scale)));
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

QJsonObject HelixCatalogue::response(const QList<SimEmote>& emotes, Endpoint endpoint, const QUrl& base)
{
    QJsonArray data;
    for (const SimEmote& emote : emotes)
        data.append(record(emote, endpoint, base));
    return QJsonObject {
        { QStringLiteral("data"), data },
        { QStringLiteral("template"),
            base.toString(QUrl::FullyEncoded) +
                QStringLiteral("/emoticons/v2/{{id}}/{{format}}/{{theme_mode}}/{{scale}}") },
    };
}

QJsonObject HelixCatalogue::record(const SimEmote& emote, Endpoint endpoint, const QUrl& base)
{
    QJsonObject json {
        { QStringLiteral("id"), emote.id },
        { QStringLiteral("name"), emote.name },
        { QStringLiteral("images"),
            QJsonObject { { QStringLiteral("url_1x"), imageURL(base, emote, "1.0") },
                { QStringLiteral("url_2x"), imageURL(base, emote, "2.0") },
                { QStringLiteral("url_4x"), imageURL(base, emote, "3.0") } } },
        { QStringLiteral("format"),
            emote.animated ? QJsonArray { QStringLiteral("static"), QStringLiteral("animated") }
                           : QJsonArray { QStringLiteral("static") } },
        { QStringLiteral("scale"), QJsonArray { QStringLiteral("1.0"), QStringLiteral("2.0"), QStringLiteral("3.0") } },
        { QStringLiteral("theme_mode"), QJsonArray { QStringLiteral("light"), QStringLiteral("dark") } },
    };
    if (endpoint == Endpoint::global)
        return json;
    json.insert(QStringLiteral("emote_type"), emote.emoteType);
    json.insert(QStringLiteral("emote_set_id"), emote.setID);
    if (endpoint == Endpoint::channel)
        json.insert(QStringLiteral("tier"), emote.tier);
    else
        json.insert(QStringLiteral("owner_id"), emote.ownerID);
    return json;
}

QString HelixCatalogue::imagePath(
    const QString& emoteID, const QString& format, const QString& theme, const QString& scale)
{
    return QStringLiteral("/emoticons/v2/%1/%2/%3/%4").arg(emoteID, format, theme, scale);
}

} // namespace parley::sim
