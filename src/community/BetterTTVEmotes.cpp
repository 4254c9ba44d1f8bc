#include "community/BetterTTVEmotes.h"

#include "community/internal/CommunityWire.h"

#include <QJsonArray>

namespace parley {
namespace {

void appendEmotes(QList<CommunityEmote>& emotes, const QJsonArray& entries, const QUrl& cdnURL)
{
    for (const QJsonValue& entry : entries)
        if (std::optional<CommunityEmote> emote = BetterTTVEmotes::emote(entry.toObject(), cdnURL))
            emotes.append(std::move(*emote));
}

} // namespace

std::optional<QList<CommunityEmote>> BetterTTVEmotes::fromGlobal(const QByteArray& json, const QUrl& cdnURL)
{
    const std::optional<QJsonDocument> document = CommunityWire::parse(json);
    if (!document || !document->isArray())
        return std::nullopt;
    QList<CommunityEmote> emotes;
    appendEmotes(emotes, document->array(), cdnURL);
    return emotes;
}

std::optional<QList<CommunityEmote>> BetterTTVEmotes::fromChannel(const QByteArray& json, const QUrl& cdnURL)
{
    const std::optional<QJsonDocument> document = CommunityWire::parse(json);
    if (!document || !document->isObject())
        return std::nullopt;
    const QJsonObject channel = document->object();
    QList<CommunityEmote> emotes;
    appendEmotes(emotes, channel.value(QLatin1String("channelEmotes")).toArray(), cdnURL);
    appendEmotes(emotes, channel.value(QLatin1String("sharedEmotes")).toArray(), cdnURL);
    return emotes;
}

std::optional<CommunityEmote> BetterTTVEmotes::emote(const QJsonObject& entry, const QUrl& cdnURL)
{
    const QString id = CommunityWire::id(entry.value(QLatin1String("id")));
    const QString name = entry.value(QLatin1String("code")).toString();
    if (!CommunityWire::isSafeSegment(id) || !CommunityWire::isUsableName(name))
        return std::nullopt;
    const QUrl image = CommunityWire::appended(cdnURL, { QStringLiteral("emote"), id, QStringLiteral("2x") });
    const bool animated = entry.value(QLatin1String("animated")).toBool() ||
        entry.value(QLatin1String("imageType")).toString() == QLatin1String("gif");
    return CommunityEmote { name, id, CommunityEmoteProvider::BetterTTV, image,
        CommunityWire::size(entry.value(QLatin1String("width")), entry.value(QLatin1String("height"))), animated,
        false };
}

} // namespace parley
