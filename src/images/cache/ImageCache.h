#pragma once

#include "images/cache/Cache.h"
#include "images/model/ImageCacheKey.h"
#include "images/model/ImageContainer.h"

#include <memory>
#include <optional>

namespace parley {

// A memory cache of decoded images, as the pipeline uses it. Implementations
// must be usable from any thread.
class ImageCaching {
public:
    virtual ~ImageCaching() = default;
    virtual std::optional<ImageContainer> image(const ImageCacheKey& key) = 0;
    // Stores `image` under `key`; none removes the key.
    virtual void setImage(std::optional<ImageContainer> image, const ImageCacheKey& key) = 0;
    virtual void removeImage(const ImageCacheKey& key) = 0;
    virtual void removeAll() = 0;
};

// Decoded images by cache key, least recently used first out, each costing
// its bitmap and attached data. Empties itself on memory pressure. Usable
// from any thread.
class ImageCache : public ImageCaching {
public:
    using Configuration = Cache<ImageCacheKey, ImageContainer>::Configuration;

    // Without a configuration: the default cost limit, no count limit, no
    // time-to-live, entries up to a tenth of the cost limit.
    // Without a memory pressure source it only follows its limits.
    ImageCache(std::optional<Configuration> configuration, MemoryPressureSource* memoryPressure);

    // A fifth of physical memory (a tenth up to 512 MiB), at most 512 MiB.
    // Memory below 256 MiB, or unknown (0), counts as 256 MiB.
    static qint64 defaultCostLimit(qint64 physicalMemory);
    static qint64 defaultCostLimit();

    std::optional<ImageContainer> image(const ImageCacheKey& key) override;
    void setImage(std::optional<ImageContainer> image, const ImageCacheKey& key) override;
    void removeImage(const ImageCacheKey& key) override;
    void removeAll() override;

    qint64 totalCost() const { return impl_.totalCost(); }
    qint64 totalCount() const { return impl_.totalCount(); }
    Configuration configuration() const { return impl_.configuration(); }
    void setConfiguration(Configuration configuration) { impl_.setConfiguration(configuration); }

private:
    Cache<ImageCacheKey, ImageContainer> impl_;
};

} // namespace parley
