#pragma once

#include "images/decoding/ImageDecoding.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace parley {

// Picks the decoder for a download: the most recently registered match that
// accepts the context wins. Guarded by its own lock; usable from any thread.
class ImageDecoderRegistry {
public:
    using Match = std::function<std::shared_ptr<ImageDecoding>(const ImageDecodingContext&)>;

    // An empty registry.
    ImageDecoderRegistry() = default;

    // A registry that starts with the default decoder.
    static std::shared_ptr<ImageDecoderRegistry> withDefaultDecoder();

    void registerDecoder(Match match);
    std::shared_ptr<ImageDecoding> decoder(const ImageDecodingContext& context) const;
    void clear();

private:
    mutable std::mutex lock_;
    std::vector<Match> matches_;
};

} // namespace parley
