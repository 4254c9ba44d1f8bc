#include "twitch-sim/CommunityStandIns.h"

#include "twitch-sim/EmoteArt.h"
#include "twitch-sim/GifEncoder.h"
#include "twitch-sim/SimResource.h"
#include "twitch-sim/WebpEncoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QRegularExpression>

namespace parley::sim {
namespace {

using Service = SimCommunityEmote::Service;

HttpReply jsonReply(const QJsonValue& value, int status = 200)
{
    const QByteArray body = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return HttpReply { status, { { "Content-Type", "application/json; charset=utf-8" } }, body };
}

// The address of the stand-ins' CDNs, protocol-relative as the services send it.
QString protocolRelative(const QUrl& base, const QString& path)
{
    return QStringLiteral("//%1:%2%3").arg(base.host()).arg(base.port()).arg(path);
}

QJsonObject betterTTVEmote(const SimCommunityEmote& emote)
{
    QJsonObject json { { QStringLiteral("id"), emote.id }, { QStringLiteral("code"), emote.name },
        { QStringLiteral("imageType"), emote.isAnimated() ? QStringLiteral("gif") : QStringLiteral("png") },
        { QStringLiteral("animated"), emote.isAnimated() }, { QStringLiteral("userId"), QStringLiteral("5561169bd6b9d206222a8c19") } };
    if (emote.art == SimCommunityEmote::Art::wide) {
        json.insert(QStringLiteral("width"), CommunityStandIns::pointHeight * emote.widthFactor());
        json.insert(QStringLiteral("height"), CommunityStandIns::pointHeight);
    }
    return json;
}

HttpReply betterTTV(const QString& path, const SimModel& model)
{
    if (path == QLatin1String("/bttv/3/cached/emotes/global")) {
        QJsonArray emotes;
        for (const SimCommunityEmote& emote : model.communityEmotes(Service::betterTTV, {}))
            emotes.append(betterTTVEmote(emote));
        return jsonReply(emotes);
    }
    static const QRegularExpression channel(QStringLiteral("^/bttv/3/cached/users/twitch/([0-9]+)$"));
    const QRegularExpressionMatch match = channel.match(path);
    const QList<SimCommunityEmote> emotes =
        match.hasMatch() ? model.communityEmotes(Service::betterTTV, match.captured(1)) : QList<SimCommunityEmote>();
    if (emotes.isEmpty())
        return jsonReply(QJsonObject { { QStringLiteral("message"), QStringLiteral("user not found") } }, 404);
    // Every second emote is one the channel took from another channel.
    QJsonArray own;
    QJsonArray shared;
    for (qsizetype i = 0; i < emotes.size(); ++i) {
        QJsonObject json = betterTTVEmote(emotes[i]);
        if (i % 2 == 0) {
            own.append(json);
            continue;
        }
        json.insert(QStringLiteral("user"), QJsonObject { { QStringLiteral("id"), QStringLiteral("5a8f0c7e3f2a1b0c9d8e7f6a") },
                                                { QStringLiteral("name"), QStringLiteral("sim_artist") },
                                                { QStringLiteral("displayName"), QStringLiteral("Sim_Artist") } });
        shared.append(json);
    }
    return jsonReply(QJsonObject { { QStringLiteral("id"), QStringLiteral("5f8e3a1b2c4d6e8f0a1b2c3d") },
        { QStringLiteral("bots"), QJsonArray {} }, { QStringLiteral("channelEmotes"), own },
        { QStringLiteral("sharedEmotes"), shared } });
}

QJsonObject frankerFaceZScales(const QUrl& base, const QString& path, bool allScales)
{
    QJsonObject urls { { QStringLiteral("1"), protocolRelative(base, path + QStringLiteral("/1")) } };
    if (allScales) {
        urls.insert(QStringLiteral("2"), protocolRelative(base, path + QStringLiteral("/2")));
        urls.insert(QStringLiteral("4"), protocolRelative(base, path + QStringLiteral("/4")));
    }
    return urls;
}

QJsonObject frankerFaceZSet(int id, const QString& title, const QList<SimCommunityEmote>& emotes, const QUrl& base)
{
    QJsonArray emoticons;
    for (const SimCommunityEmote& emote : emotes) {
        const QString path = QStringLiteral("/ffz-cdn/emote/") + emote.id;
        emoticons.append(QJsonObject {
            { QStringLiteral("id"), emote.id.toLongLong() },
            { QStringLiteral("name"), emote.name },
            { QStringLiteral("width"), CommunityStandIns::pointHeight * emote.widthFactor() },
            { QStringLiteral("height"), CommunityStandIns::pointHeight },
            { QStringLiteral("public"), true },
            { QStringLiteral("hidden"), false },
            { QStringLiteral("modifier"), false },
            { QStringLiteral("owner"),
                QJsonObject { { QStringLiteral("_id"), 1 }, { QStringLiteral("name"), QStringLiteral("sim_artist") } } },
            { QStringLiteral("urls"), frankerFaceZScales(base, path, emote.hasDoubleScale) },
            { QStringLiteral("animated"),
                emote.isAnimated() ? QJsonValue(frankerFaceZScales(base, path + QStringLiteral("/animated"), true))
                                   : QJsonValue(QJsonValue::Null) },
        });
    }
    return QJsonObject { { QStringLiteral("id"), id }, { QStringLiteral("_type"), 1 },
        { QStringLiteral("title"), title }, { QStringLiteral("emoticons"), emoticons } };
}

HttpReply frankerFaceZ(const QString& path, const SimModel& model, const QUrl& base)
{
    if (path == QLatin1String("/ffz/v1/set/global"))
        return jsonReply(QJsonObject {
            { QStringLiteral("default_sets"), QJsonArray { 3 } },
            { QStringLiteral("sets"),
                QJsonObject { { QStringLiteral("3"),
                    frankerFaceZSet(3, QStringLiteral("Default Emoticons"),
                        model.communityEmotes(Service::frankerFaceZ, {}), base) } } },
            { QStringLiteral("users"), QJsonObject { { QStringLiteral("3"), QJsonArray {} } } },
        });
    static const QRegularExpression room(QStringLiteral("^/ffz/v1/room/id/([0-9]+)$"));
    const QRegularExpressionMatch match = room.match(path);
    const QList<SimCommunityEmote> emotes =
        match.hasMatch() ? model.communityEmotes(Service::frankerFaceZ, match.captured(1)) : QList<SimCommunityEmote>();
    if (emotes.isEmpty())
        return jsonReply(QJsonObject { { QStringLiteral("error"), QStringLiteral("Not Found") },
                             { QStringLiteral("status"), 404 }, { QStringLiteral("message"), QStringLiteral("No such room") } },
            404);
    const int setID = 900000 + int(match.captured(1).toLongLong() % 100000);
    const std::optional<SimUser> owner = model.user(match.captured(1));
    return jsonReply(QJsonObject {
        { QStringLiteral("room"),
            QJsonObject { { QStringLiteral("twitch_id"), match.captured(1).toLongLong() },
                { QStringLiteral("id"), owner ? owner->login : QString() }, { QStringLiteral("set"), setID } } },
        { QStringLiteral("sets"),
            QJsonObject { { QString::number(setID),
                frankerFaceZSet(setID, QStringLiteral("Channel Emotes"), emotes, base) } } },
    });
}

QJsonArray sevenTVFiles(const SimCommunityEmote& emote)
{
    QJsonArray files;
    for (int scale = 1; scale <= 4; ++scale)
        for (const char* format : { "AVIF", "WEBP" }) {
            const QString extension = QString::fromLatin1(format).toLower();
            files.append(QJsonObject {
                { QStringLiteral("name"), QStringLiteral("%1x.%2").arg(scale).arg(extension) },
                { QStringLiteral("static_name"), QStringLiteral("%1x_static.%2").arg(scale).arg(extension) },
                { QStringLiteral("width"), CommunityStandIns::pointHeight * emote.widthFactor() * scale },
                { QStringLiteral("height"), CommunityStandIns::pointHeight * scale },
                { QStringLiteral("frame_count"), emote.isAnimated() ? EmoteArt::animationFrames : 1 },
                { QStringLiteral("format"), QString::fromLatin1(format) },
            });
        }
    return files;
}

QJsonObject sevenTVSet(const QString& id, const QString& name, const QList<SimCommunityEmote>& emotes, const QUrl& base)
{
    QJsonArray entries;
    for (const SimCommunityEmote& emote : emotes)
        entries.append(QJsonObject {
            { QStringLiteral("id"), emote.id },
            { QStringLiteral("name"), emote.name },
            { QStringLiteral("flags"), emote.zeroWidth ? 1 : 0 },
            { QStringLiteral("timestamp"), 1690000000000.0 },
            { QStringLiteral("data"),
                QJsonObject {
                    { QStringLiteral("id"), emote.id },
                    { QStringLiteral("name"), emote.originalName.isEmpty() ? emote.name : emote.originalName },
                    { QStringLiteral("flags"), emote.zeroWidth ? 256 : 0 },
                    { QStringLiteral("listed"), true },
                    { QStringLiteral("animated"), emote.isAnimated() },
                    { QStringLiteral("host"),
                        QJsonObject { { QStringLiteral("url"),
                                          protocolRelative(base, QStringLiteral("/7tv-cdn/emote/") + emote.id) },
                            { QStringLiteral("files"), sevenTVFiles(emote) } } },
                } },
        });
    return QJsonObject { { QStringLiteral("id"), id }, { QStringLiteral("name"), name },
        { QStringLiteral("flags"), 0 }, { QStringLiteral("immutable"), true },
        { QStringLiteral("emotes"), entries }, { QStringLiteral("emote_count"), entries.size() } };
}

HttpReply sevenTV(const QString& path, const SimModel& model, const QUrl& base)
{
    if (path == QLatin1String("/7tv/v3/emote-sets/global"))
        return jsonReply(sevenTVSet(QStringLiteral("01HKQT8EWR000ESSWF3625XCS4"), QStringLiteral("Global Emotes"),
            model.communityEmotes(Service::sevenTV, {}), base));
    static const QRegularExpression user(QStringLiteral("^/7tv/v3/users/twitch/([0-9]+)$"));
    const QRegularExpressionMatch match = user.match(path);
    const QList<SimCommunityEmote> emotes =
        match.hasMatch() ? model.communityEmotes(Service::sevenTV, match.captured(1)) : QList<SimCommunityEmote>();
    if (emotes.isEmpty())
        return jsonReply(QJsonObject { { QStringLiteral("status_code"), 404 }, { QStringLiteral("status"), QStringLiteral("Not Found") },
                             { QStringLiteral("error"), QStringLiteral("Unknown User") }, { QStringLiteral("error_code"), 70442 } },
            404);
    const std::optional<SimUser> owner = model.user(match.captured(1));
    const QString setID = QStringLiteral("01HSET") + match.captured(1).rightJustified(20, u'0');
    return jsonReply(QJsonObject {
        { QStringLiteral("id"), match.captured(1) },
        { QStringLiteral("platform"), QStringLiteral("TWITCH") },
        { QStringLiteral("username"), owner ? owner->login : QString() },
        { QStringLiteral("emote_capacity"), 600 },
        { QStringLiteral("emote_set_id"), setID },
        { QStringLiteral("emote_set"), sevenTVSet(setID, QStringLiteral("Channel Emotes"), emotes, base) },
    });
}

// A zero-width emote's picture: a ring and a hat on a transparent square, so
// the emote it is drawn over shows through.
QImage overlay(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 215, 0), size / 14.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(size * 0.1, size * 0.1, size * 0.8, size * 0.8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 30, 30));
    painter.drawPolygon(QPolygonF({ QPointF(size * 0.3, size * 0.3), QPointF(size * 0.7, size * 0.3),
        QPointF(size * 0.5, 0) }));
    return image;
}

// The picture of `emote` at a scale (1..4), as `format` ("png", "gif", "webp").
QByteArray art(const SimCommunityEmote& emote, int scale, const QString& format)
{
    const int height = CommunityStandIns::pointHeight * scale;
    if (emote.zeroWidth)
        return WebpEncoder::still(overlay(height));
    if (emote.art == SimCommunityEmote::Art::wide)
        return EmoteArt::widePng(emote.id, height * emote.widthFactor(), height);
    if (format == QLatin1String("gif"))
        return EmoteArt::gif(emote.id, false, height);
    if (format != QLatin1String("webp"))
        return EmoteArt::png(emote.id, false, height);
    QList<QImage> frames;
    for (int i = 0; i < (emote.isAnimated() ? EmoteArt::animationFrames : 1); ++i)
        frames.append(EmoteArt::frameImage(emote.id, false, height, i));
    return emote.isAnimated() ? WebpEncoder::animated(frames, 100) : WebpEncoder::still(frames.first());
}

} // namespace

bool CommunityStandIns::handles(const QString& path)
{
    for (const char* prefix : { "/bttv/", "/bttv-cdn/", "/ffz/", "/ffz-cdn/", "/7tv/", "/7tv-cdn/" })
        if (path.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

HttpReply CommunityStandIns::route(const SimRequest& request, const SimModel& model, const QUrl& base) const
{
    if (request.path.startsWith(QLatin1String("/bttv/")))
        return betterTTV(request.path, model);
    if (request.path.startsWith(QLatin1String("/ffz/")))
        return frankerFaceZ(request.path, model, base);
    if (request.path.startsWith(QLatin1String("/7tv/")))
        return sevenTV(request.path, model, base);
    return image(request, model);
}

HttpReply CommunityStandIns::image(const SimRequest& request, const SimModel& model) const
{
    static const QRegularExpression address(QStringLiteral(
        "^/(?:bttv-cdn/emote/([0-9a-f]+)/([123])x|ffz-cdn/emote/([0-9]+)(/animated)?/([124])|"
        "7tv-cdn/emote/([0-9A-Z]+)/([1-4])x\\.webp)$"));
    const QRegularExpressionMatch match = address.match(request.path);
    if (!match.hasMatch())
        return HttpReply::error(404, QStringLiteral("not found"));
    std::optional<SimCommunityEmote> emote;
    int scale = 0;
    QString format;
    if (!match.captured(1).isEmpty()) {
        emote = model.communityEmote(Service::betterTTV, match.captured(1));
        scale = match.captured(2).toInt();
        format = emote && emote->isAnimated() ? QStringLiteral("gif") : QStringLiteral("png");
    } else if (!match.captured(3).isEmpty()) {
        emote = model.communityEmote(Service::frankerFaceZ, match.captured(3));
        scale = match.captured(5).toInt();
        const bool animated = !match.captured(4).isEmpty();
        if (emote && (animated != emote->isAnimated() || (scale > 1 && !emote->hasDoubleScale && !animated)))
            emote.reset();
        format = animated ? QStringLiteral("webp") : QStringLiteral("png");
    } else {
        emote = model.communityEmote(Service::sevenTV, match.captured(6));
        scale = match.captured(7).toInt();
        format = QStringLiteral("webp");
    }
    if (!emote)
        return HttpReply::error(404, QStringLiteral("not found"));
    QByteArray& body = images_[request.path];
    if (body.isEmpty())
        body = art(*emote, scale, format);
    const QByteArray type = emote->art == SimCommunityEmote::Art::wide ? QByteArray("image/png") : "image/" + format.toLatin1();
    return SimResource { body, type }.serve(request);
}

} // namespace parley::sim
