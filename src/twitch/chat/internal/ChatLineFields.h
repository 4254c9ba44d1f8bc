#pragma once

#include "twitch/Instant.h"

#include <QString>
#include <QStringView>

#include <optional>

// Readers of the fields several kinds of chat line share.
namespace parley::chatline {

// "tmi-sent-ts" is milliseconds since 1970; fractions down to the
// microsecond are kept. A time beyond the range of an Instant does not read.
std::optional<Instant> readSentAt(QStringView value);

// The text after the channel: "#chan :text" gives "text". The first character
// after the space is dropped unseen (it is the ":" on the wire). Nothing when
// no text follows the channel.
std::optional<QStringView> readTrailing(QStringView parameters);

} // namespace parley::chatline
