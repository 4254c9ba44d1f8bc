#include "community/FrankerFaceZEmotes.h"

#include "community/internal/CommunityWire.h"

#include <QJsonArray>

namespace parley {
namespace {

// The scale-2 address, or scale 1 when the emoticon has no 2.
QString doubleScaleURL(const QJsonObject& urls)
{
    for (const char* scale : { "2", "1" })
        if (const QJsonValue url = urls.value(QLatin1String(scale)); url.isString())
            return url.toString();
    return {};
}

void appendSet(QList<CommunityEmote>& emotes, const QJsonObject& sets, const QString& setID, const QUrl& apiURL)
{
    const QJsonArray emoticons = sets.value(setID).toObject().value(QLatin1String("emoticons")).toArray();
    for (const QJsonValue& emoticon : emoticons)
        if (std::optional<CommunityEmote> emote = FrankerFaceZEmotes::emote(emoticon.toObject(), apiURL))
            emotes.append(std::move(*emote));
}

} // namespace

std::optional<QList<CommunityEmote>> FrankerFaceZEmotes::fromGlobal(const QByteArray& json, const QUrl& apiURL)
{
    const std::optional<QJsonObject> answer = CommunityWire::parseObject(json);
    if (!answer)
        return std::nullopt;
    const QJsonObject sets = answer->value(QLatin1String("sets")).toObject();
    QList<CommunityEmote> emotes;
    for (const QJsonValue& setID : answer->value(QLatin1String("default_sets")).toArray())
        if (const QString id = CommunityWire::id(setID); !id.isEmpty())
            appendSet(emotes, sets, id, apiURL);
    return emotes;
}

std::optional<QList<CommunityEmote>> FrankerFaceZEmotes::fromRoom(const QByteArray& json, const QUrl& apiURL)
{
    const std::optional<QJsonObject> answer = CommunityWire::parseObject(json);
    if (!answer)
        return std::nullopt;
    QList<CommunityEmote> emotes;
    const QString setID =
        CommunityWire::id(answer->value(QLatin1String("room")).toObject().value(QLatin1String("set")));
    if (!setID.isEmpty())
        appendSet(emotes, answer->value(QLatin1String("sets")).toObject(), setID, apiURL);
    return emotes;
}

std::optional<CommunityEmote> FrankerFaceZEmotes::emote(const QJsonObject& emoticon, const QUrl& apiURL)
{
    const QString id = CommunityWire::id(emoticon.value(QLatin1String("id")));
    const QString name = emoticon.value(QLatin1String("name")).toString();
    if (!CommunityWire::isSafeSegment(id) || !CommunityWire::isUsableName(name))
        return std::nullopt;
    const QJsonValue animatedURLs = emoticon.value(QLatin1String("animated"));
    const bool animated = animatedURLs.isObject() && !doubleScaleURL(animatedURLs.toObject()).isEmpty();
    const QJsonObject urls = animated ? animatedURLs.toObject() : emoticon.value(QLatin1String("urls")).toObject();
    const std::optional<QUrl> image = CommunityWire::webAddress(doubleScaleURL(urls), apiURL);
    if (!image)
        return std::nullopt;
    return CommunityEmote { name, id, CommunityEmoteProvider::FrankerFaceZ, *image,
        CommunityWire::size(emoticon.value(QLatin1String("width")), emoticon.value(QLatin1String("height"))),
        animated, false };
}

} // namespace parley
