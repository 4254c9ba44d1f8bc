#include "app/session/EmoteSetStatus.h"

namespace parley {

QString toString(EmoteSetStatus status)
{
    switch (status) {
    case EmoteSetStatus::loading:
        return QStringLiteral("loading");
    case EmoteSetStatus::loaded:
        return QStringLiteral("loaded");
    case EmoteSetStatus::failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace parley
