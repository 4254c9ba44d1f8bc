#include "images/cache/ImageCache.h"

#include "platform/PhysicalMemory.h"

namespace parley {

namespace {

ImageCache::Configuration defaults()
{
    ImageCache::Configuration conf;
    conf.costLimit = ImageCache::defaultCostLimit();
    return conf;
}

} // namespace

ImageCache::ImageCache(std::optional<Configuration> configuration, MemoryPressureSource* memoryPressure)
    : impl_(configuration.value_or(defaults()), memoryPressure)
{ }

qint64 ImageCache::defaultCostLimit(qint64 physicalMemory)
{
    constexpr qint64 limit = qint64(512) << 20;
    // A reading of 0 (unknown) must not turn the cache off.
    constexpr qint64 memoryFloor = qint64(256) << 20;
    const qint64 memory = std::max(physicalMemory, memoryFloor);
    const qint64 divisor = memory <= limit ? 10 : 5;
    return std::min(memory / divisor, limit);
}

qint64 ImageCache::defaultCostLimit()
{
    return defaultCostLimit(physicalMemorySize());
}

std::optional<ImageContainer> ImageCache::image(const ImageCacheKey& key)
{
    return impl_.value(key);
}

void ImageCache::setImage(std::optional<ImageContainer> image, const ImageCacheKey& key)
{
    if (!image) {
        impl_.removeValue(key);
        return;
    }
    const qint64 cost = image->cost();
    impl_.set(key, std::move(*image), cost);
}

void ImageCache::removeImage(const ImageCacheKey& key)
{
    impl_.removeValue(key);
}

void ImageCache::removeAll()
{
    impl_.removeAll();
}

} // namespace parley
