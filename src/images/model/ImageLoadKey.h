#pragma once

#include "images/model/CacheKey.h"
#include "images/model/DataLoadKey.h"

namespace parley {

// Identifies a whole image load: loads with equal keys share one task.
struct ImageLoadKey {
    CacheKey cacheKey;
    ImageRequest::Options options;
    DataLoadKey loadKey;

    explicit ImageLoadKey(const ImageRequest& request) : cacheKey(request), options(request.options()), loadKey(request)
    { }

    friend bool operator==(const ImageLoadKey&, const ImageLoadKey&) = default;
    friend size_t qHash(const ImageLoadKey& key, size_t seed = 0)
    {
        return qHashMulti(seed, key.cacheKey, key.options.toInt(), key.loadKey);
    }
};

} // namespace parley
