#pragma once

#include <QMetaType>
#include <QString>

namespace parley {

// Load status of one emote set in a registry. A set the registry was never
// asked for has no status at all.
enum class EmoteSetStatus { loading, loaded, failed };

// "loading", "loaded" or "failed", for logs and tools.
QString toString(EmoteSetStatus status);

} // namespace parley

Q_DECLARE_METATYPE(parley::EmoteSetStatus)
