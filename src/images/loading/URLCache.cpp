#include "images/loading/URLCache.h"

#include <QStandardPaths>

#include <mutex>

namespace parley {

namespace {

std::mutex sharedMutex;
QString sharedDirectory;

} // namespace

URLCache URLCache::shared()
{
    std::lock_guard lock(sharedMutex);
    return URLCache { sharedDirectory };
}

void URLCache::setBundleIdentifier(const QString& bundleIdentifier)
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    setSharedDirectory(
        caches.isEmpty() || bundleIdentifier.isEmpty() ? QString() : caches + QLatin1Char('/') + bundleIdentifier);
}

void URLCache::setSharedDirectory(const QString& directory)
{
    std::lock_guard lock(sharedMutex);
    sharedDirectory = directory;
}

} // namespace parley
