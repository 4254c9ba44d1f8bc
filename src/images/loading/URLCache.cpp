#include "images/loading/URLCache.h"

#include <QStandardPaths>

namespace parley {

URLCache URLCache::forBundle(const QString& bundleIdentifier)
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty() || bundleIdentifier.isEmpty())
        return {};
    return URLCache { caches + QLatin1Char('/') + bundleIdentifier };
}

} // namespace parley
