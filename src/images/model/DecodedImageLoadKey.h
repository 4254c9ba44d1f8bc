#pragma once

#include "images/model/DataLoadKey.h"

namespace parley {

// Identifies a decoded original: the download, the scale it is decoded for
// and the thumbnail made from it.
struct DecodedImageLoadKey {
    DataLoadKey dataLoadKey;
    std::optional<float> scale;
    std::optional<ImageRequest::ThumbnailOptions> thumbnail;

    explicit DecodedImageLoadKey(const ImageRequest& request)
        : dataLoadKey(request), scale(request.scale()), thumbnail(request.thumbnail())
    { }

    friend bool operator==(const DecodedImageLoadKey&, const DecodedImageLoadKey&) = default;
    friend size_t qHash(const DecodedImageLoadKey& key, size_t seed = 0)
    {
        return qHashMulti(seed, key.dataLoadKey, key.scale.value_or(0.0f), key.thumbnail.has_value(),
            key.thumbnail ? qHash(*key.thumbnail) : 0);
    }
};

} // namespace parley
