#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace parley {

// One badge a message's sender wears, as the "badges" tag names it
// ("subscriber/12"), with what "badge-info" adds for its set (a subscriber's
// exact months).
struct TwitchChatBadge {
    QString setID;
    QString version;
    QString info; // empty when "badge-info" says nothing of the set

    // The badges of a "badges" tag value, in its order: pieces that are not
    // "set/version" are skipped, and so is a set named again.
    static QList<TwitchChatBadge> listFromTags(QStringView badges, QStringView badgeInfo);

    // The exact months behind a subscriber or founder badge, when known.
    std::optional<int> months() const;

    bool operator==(const TwitchChatBadge&) const = default;
};

} // namespace parley
