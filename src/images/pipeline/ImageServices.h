#pragma once

#include "images/cache/ImageCache.h"
#include "images/decoding/ImageDecoderRegistry.h"
#include "images/loading/ResumableDataStorage.h"
#include "images/loading/URLCache.h"

#include <memory>

namespace parley {

class MemoryPressureSource;

// What pipelines may share beyond themselves: the memory cache of decoded
// images, the store of interrupted downloads, the decoders to pick from and
// the disk HTTP cache of downloads. Their owner builds them once and hands
// them to each pipeline in its configuration; pipelines given the same
// services share what these hold. A service left empty is made new for the
// pipeline alone.
struct ImageServices {
    std::shared_ptr<ImageCache> imageCache;
    std::shared_ptr<ResumableDataStorage> resumableData;
    std::shared_ptr<ImageDecoderRegistry> decoderRegistry;
    URLCache urlCache;

    // New services whose caches empty themselves on `memoryPressure` (none:
    // they follow only their limits), with the default decoder registered
    // and the given disk HTTP cache.
    static ImageServices make(MemoryPressureSource* memoryPressure = nullptr, URLCache urlCache = {});
    // These services, each empty one made new (its caches following no
    // memory pressure).
    ImageServices completed() const;
};

} // namespace parley
