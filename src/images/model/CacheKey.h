#pragma once

#include "images/model/ImageRequest.h"

#include <QStringList>

#include <optional>

namespace parley {

// Identifies a processed image: the image id, the scale, the thumbnail and
// the processors, compared by their identifiers.
struct CacheKey {
    std::optional<QString> imageId;
    // Images decoded for different scales differ in their device pixel ratio.
    std::optional<float> scale;
    std::optional<ImageRequest::ThumbnailOptions> thumbnail;
    QStringList processors;

    CacheKey() = default;
    explicit CacheKey(const ImageRequest& request)
        : imageId(request.imageId()), scale(request.scale()), thumbnail(request.thumbnail())
    {
        for (const auto& processor : request.processors())
            processors.append(processor->identifier());
    }

    friend bool operator==(const CacheKey&, const CacheKey&) = default;
    friend size_t qHash(const CacheKey& key, size_t seed = 0)
    {
        return qHashMulti(seed, key.imageId.value_or(QString()), key.imageId.has_value(), key.scale.value_or(0.0f),
            key.thumbnail ? qHash(*key.thumbnail) : 0, key.processors);
    }
};

} // namespace parley
