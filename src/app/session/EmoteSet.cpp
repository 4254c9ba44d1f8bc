#include "app/session/EmoteSet.h"

namespace parley {

QString EmoteSet::description() const
{
    switch (kind_) {
    case Kind::channel:
        return QStringLiteral("channel:") + id_;
    case Kind::custom:
        return QStringLiteral("custom:") + id_;
    case Kind::global:
        break;
    }
    return QStringLiteral("global");
}

} // namespace parley
