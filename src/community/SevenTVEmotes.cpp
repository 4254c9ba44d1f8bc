#include "community/SevenTVEmotes.h"

#include "community/internal/CommunityWire.h"

#include <QJsonArray>

namespace parley {
namespace {

// Formats Qt decodes, best first; AVIF is left out because it cannot.
constexpr std::array<const char*, 3> formats { "WEBP", "GIF", "PNG" };

// The file to draw: the best format at 2x, else at 1x.
std::optional<QJsonObject> chooseFile(const QJsonArray& files)
{
    for (const char* scale : { "2x.", "1x." })
        for (const char* format : formats)
            for (const QJsonValue& file : files) {
                const QJsonObject object = file.toObject();
                if (object.value(QLatin1String("format")).toString().compare(QLatin1String(format), Qt::CaseInsensitive) == 0 &&
                    object.value(QLatin1String("name")).toString().startsWith(QLatin1String(scale)))
                    return object;
            }
    return std::nullopt;
}

// The width and height of the 1x file, in points.
std::optional<QSize> pointSize(const QJsonArray& files)
{
    for (const QJsonValue& file : files) {
        const QJsonObject object = file.toObject();
        if (object.value(QLatin1String("name")).toString().startsWith(QLatin1String("1x.")))
            return CommunityWire::size(object.value(QLatin1String("width")), object.value(QLatin1String("height")));
    }
    return std::nullopt;
}

QList<CommunityEmote> setEmotes(const QJsonObject& set, const QUrl& apiURL)
{
    QList<CommunityEmote> emotes;
    for (const QJsonValue& entry : set.value(QLatin1String("emotes")).toArray())
        if (std::optional<CommunityEmote> emote = SevenTVEmotes::emote(entry.toObject(), apiURL))
            emotes.append(std::move(*emote));
    return emotes;
}

} // namespace

std::optional<QList<CommunityEmote>> SevenTVEmotes::fromEmoteSet(const QByteArray& json, const QUrl& apiURL)
{
    const std::optional<QJsonObject> set = CommunityWire::parseObject(json);
    if (!set)
        return std::nullopt;
    return setEmotes(*set, apiURL);
}

std::optional<QList<CommunityEmote>> SevenTVEmotes::fromUser(const QByteArray& json, const QUrl& apiURL)
{
    const std::optional<QJsonObject> user = CommunityWire::parseObject(json);
    if (!user)
        return std::nullopt;
    return setEmotes(user->value(QLatin1String("emote_set")).toObject(), apiURL);
}

std::optional<CommunityEmote> SevenTVEmotes::emote(const QJsonObject& entry, const QUrl& apiURL)
{
    const QString id = CommunityWire::id(entry.value(QLatin1String("id")));
    const QString name = entry.value(QLatin1String("name")).toString();
    const QJsonObject data = entry.value(QLatin1String("data")).toObject();
    const QJsonObject host = data.value(QLatin1String("host")).toObject();
    const QJsonArray files = host.value(QLatin1String("files")).toArray();
    const std::optional<QJsonObject> file = chooseFile(files);
    if (!CommunityWire::isSafeSegment(id) || !CommunityWire::isUsableName(name) || !file)
        return std::nullopt;
    const QString fileName = file->value(QLatin1String("name")).toString();
    const std::optional<QUrl> hostURL = CommunityWire::webAddress(host.value(QLatin1String("url")).toString(), apiURL);
    if (!hostURL || !CommunityWire::isSafeSegment(fileName))
        return std::nullopt;
    const bool zeroWidth = (entry.value(QLatin1String("flags")).toInt() & zeroWidthFlag) != 0;
    return CommunityEmote { name, id, CommunityEmoteProvider::SevenTV, CommunityWire::appended(*hostURL, { fileName }),
        pointSize(files), data.value(QLatin1String("animated")).toBool(), zeroWidth };
}

} // namespace parley
