#pragma once

#include "images/model/CacheKey.h"

#include <variant>

namespace parley {

// The memory cache's key: a custom string from the pipeline's delegate, or
// the request's default CacheKey.
struct ImageCacheKey {
    struct Custom {
        QString key;
        friend bool operator==(const Custom&, const Custom&) = default;
    };
    using Inner = std::variant<Custom, CacheKey>;

    Inner inner;

    explicit ImageCacheKey(const ImageRequest& request) : inner(CacheKey(request)) { }
    explicit ImageCacheKey(QString custom) : inner(Custom { std::move(custom) }) { }

    friend bool operator==(const ImageCacheKey&, const ImageCacheKey&) = default;
    friend size_t qHash(const ImageCacheKey& key, size_t seed = 0)
    {
        if (const auto* custom = std::get_if<Custom>(&key.inner))
            return qHashMulti(seed, 0, custom->key);
        return qHashMulti(seed, 1, std::get<CacheKey>(key.inner));
    }
};

} // namespace parley
