#include "app/session/EmoteImageStore.h"

namespace parley {

EmoteImage EmoteImageStore::image(const QString& id) const
{
    std::lock_guard lock(mutex_);
    return images_.value(id);
}

bool EmoteImageStore::contains(const QString& id) const
{
    std::lock_guard lock(mutex_);
    return images_.contains(id);
}

EmoteImageTable EmoteImageStore::snapshot() const
{
    std::lock_guard lock(mutex_);
    return images_;
}

qsizetype EmoteImageStore::size() const
{
    std::lock_guard lock(mutex_);
    return images_.size();
}

void EmoteImageStore::insert(const QString& id, EmoteImage image)
{
    std::lock_guard lock(mutex_);
    images_.insert(id, std::move(image));
}

} // namespace parley
