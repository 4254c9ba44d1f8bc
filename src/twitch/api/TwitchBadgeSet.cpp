#include "twitch/api/TwitchBadgeSet.h"

#include <algorithm>

namespace parley {

TwitchBadgeVersion TwitchBadgeVersion::fromJson(const JsonReader& json)
{
    TwitchBadgeVersion version;
    version.id = json[QLatin1String("id")].toString();
    version.imageURL1x = json[QLatin1String("image_url_1x")].toUrl();
    version.imageURL2x = json[QLatin1String("image_url_2x")].toUrl();
    version.imageURL4x = json[QLatin1String("image_url_4x")].toUrl();
    version.title = json[QLatin1String("title")].toString();
    // Not every badge has a description; one without is still drawn.
    if (const std::optional<JsonReader> description = json.optional(QLatin1String("description")))
        version.description = description->toString();
    return version;
}

TwitchBadgeSet TwitchBadgeSet::fromJson(const JsonReader& json)
{
    TwitchBadgeSet set;
    set.setID = json[QLatin1String("set_id")].toString();
    for (const JsonReader& version : json[QLatin1String("versions")].toArray())
        set.versions.append(TwitchBadgeVersion::fromJson(version));
    return set;
}

QList<TwitchBadgeSet> TwitchBadgeSet::listFromResponse(const JsonReader& json)
{
    QList<TwitchBadgeSet> sets;
    for (const JsonReader& set : json[QLatin1String("data")].toArray())
        sets.append(fromJson(set));
    return sets;
}

std::optional<TwitchBadgeVersion> TwitchBadgeSet::version(const QString& id) const
{
    const auto found = std::ranges::find(versions, id, &TwitchBadgeVersion::id);
    if (found == versions.end())
        return std::nullopt;
    return *found;
}

} // namespace parley
