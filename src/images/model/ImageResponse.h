#pragma once

#include "images/model/ImageContainer.h"
#include "images/model/ImageRequest.h"
#include "images/model/URLResponse.h"

#include <optional>

namespace parley {

// What a finished (or previewed) load hands back.
struct ImageResponse {
    enum class CacheType { memory, disk };

    ImageContainer container;
    ImageRequest request;
    std::optional<URLResponse> urlResponse;
    // Where the image came from; none for a fresh load.
    std::optional<CacheType> cacheType;

    const QImage& image() const { return container.image(); }
};

} // namespace parley
