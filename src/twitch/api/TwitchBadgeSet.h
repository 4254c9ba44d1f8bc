#pragma once

#include "platform/JsonReader.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// One version of a chat badge ("subscriber" "12"), as the badge catalogue
// describes it.
struct TwitchBadgeVersion {
    QString id;
    QUrl imageURL1x;
    QUrl imageURL2x;
    QUrl imageURL4x;
    QString title;
    QString description;

    static TwitchBadgeVersion fromJson(const JsonReader& json);

    friend bool operator==(const TwitchBadgeVersion&, const TwitchBadgeVersion&) = default;
};

// A badge and its versions: one entry of a Helix badge catalogue answer.
struct TwitchBadgeSet {
    QString setID;
    QList<TwitchBadgeVersion> versions;

    static TwitchBadgeSet fromJson(const JsonReader& json);
    // The `data` of a whole answer.
    static QList<TwitchBadgeSet> listFromResponse(const JsonReader& json);

    std::optional<TwitchBadgeVersion> version(const QString& id) const;

    friend bool operator==(const TwitchBadgeSet&, const TwitchBadgeSet&) = default;
};

} // namespace parley
