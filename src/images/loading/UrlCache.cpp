#include "images/loading/UrlCache.h"

#include <QStandardPaths>

#include <mutex>

namespace parley {

namespace {

std::mutex sharedMutex;
QString sharedDirectory;

} // namespace

UrlCache UrlCache::shared()
{
    std::lock_guard lock(sharedMutex);
    return UrlCache { sharedDirectory };
}

void UrlCache::setBundleIdentifier(const QString& bundleIdentifier)
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    setSharedDirectory(caches.isEmpty() || bundleIdentifier.isEmpty()
            ? QString() : caches + QLatin1Char('/') + bundleIdentifier);
}

void UrlCache::setSharedDirectory(const QString& directory)
{
    std::lock_guard lock(sharedMutex);
    sharedDirectory = directory;
}

} // namespace parley
