#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringView>

namespace parley {

// One occurrence of an emote in a message body: the first and last position
// as the service sent them, counted in Unicode code points.
struct TwitchEmoteMark {
    QString emoteID;
    qint64 begin = 0;
    qint64 end = 0;

    // Reads an "emotes" tag value ("25:0-4,12-16/1902:6-10"), keeping the
    // order of the tag. Pieces and ranges that do not read are skipped.
    static QList<TwitchEmoteMark> listFromTagValue(QStringView value);

    bool operator==(const TwitchEmoteMark&) const = default;
};

size_t qHash(const TwitchEmoteMark& mark, size_t seed = 0) noexcept;

} // namespace parley
