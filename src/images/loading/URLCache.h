#pragma once

#include <QString>

namespace parley {

// Where and how big the on-disk HTTP cache of image downloads is. One shared
// cache serves the process: 150 MiB on disk, nothing in memory, in the user's
// cache directory under the application's bundle identifier. The application
// names its identifier at launch; until it does (or when the cache directory is
// unknown) the shared cache has an empty directory, which means no disk cache.
struct URLCache {
    static constexpr qint64 sharedDiskCapacity = 150 * 1024 * 1024;

    QString directory;
    qint64 diskCapacity = sharedDiskCapacity;

    bool isEnabled() const { return !directory.isEmpty() && diskCapacity > 0; }

    static URLCache shared();
    static void setBundleIdentifier(const QString& bundleIdentifier);
    // Puts the shared cache somewhere else, for tools and tests.
    static void setSharedDirectory(const QString& directory);
};

} // namespace parley
