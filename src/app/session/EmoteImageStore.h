#pragma once

#include "app/session/EmoteImage.h"

#include <QHash>
#include <QString>

#include <mutex>

namespace parley {

using EmoteImageTable = QHash<QString, EmoteImage>;

// Emote images by emote id, readable from any thread: the emote image loader
// writes it on the main thread and an image provider may read it from Qt's
// image loading threads. Shared through a std::shared_ptr so a provider can
// outlive the session that filled it.
class EmoteImageStore {
public:
    // An empty EmoteImage when the id has no image.
    EmoteImage image(const QString& id) const;
    bool contains(const QString& id) const;
    // A copy of the whole table (cheap: the table is implicitly shared).
    EmoteImageTable snapshot() const;
    qsizetype size() const;

    void insert(const QString& id, EmoteImage image);

private:
    mutable std::mutex mutex_;
    EmoteImageTable images_;
};

} // namespace parley
