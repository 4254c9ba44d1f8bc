#pragma once

#include "images/model/URLResponse.h"

#include <QByteArray>

#include <optional>

namespace parley {

// Bytes of an image as loaded, with the response they came with (none when
// they came from a cache or a publisher).
struct LoadedData {
    QByteArray data;
    std::optional<URLResponse> urlResponse;
};

} // namespace parley
