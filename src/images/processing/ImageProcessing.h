#pragma once

#include "platform/Error.h"

#include <QImage>
#include <QString>

#include <memory>
#include <optional>

namespace parley {

class ImageContainer;
class ImageRequest;
struct ImageResponse;

// What a processor knows about the image it works on.
struct ImageProcessingContext {
    const ImageRequest& request;
    const ImageResponse& response;
    bool isCompleted;
};

// A transformation applied to a decoded image. Processors may run on any
// thread, so implementations must be immutable.
class ImageProcessing {
public:
    virtual ~ImageProcessing() = default;

    // Takes part in cache and coalescing keys: two processors with equal
    // identifiers must produce equal output.
    virtual QString identifier() const = 0;

    // The processed image, or none when processing failed.
    virtual std::optional<QImage> process(const QImage& image, const ImageProcessingContext& context) const = 0;
};

using ImageProcessor = std::shared_ptr<const ImageProcessing>;

// The processors' own failure, which adds nothing to the pipeline's message.
class ImageProcessingError : public Error {
public:
    ImageProcessingError() : Error(QStringLiteral("unknown")) { }
};

} // namespace parley
