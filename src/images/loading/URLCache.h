#pragma once

#include <QString>

namespace parley {

// Where and how big the on-disk HTTP cache of image downloads is: 150 MiB on
// disk, nothing in memory. An empty directory means no disk cache.
struct URLCache {
    static constexpr qint64 defaultDiskCapacity = 150 * 1024 * 1024;

    QString directory;
    qint64 diskCapacity = defaultDiskCapacity;

    bool isEnabled() const { return !directory.isEmpty() && diskCapacity > 0; }

    // An application's cache: in the user's cache directory under its bundle
    // identifier; none when either is unknown.
    static URLCache forBundle(const QString& bundleIdentifier);
};

} // namespace parley
