#pragma once

#include "images/model/ImageContainer.h"
#include "images/model/ImageRequest.h"
#include "images/model/ImageResponse.h"
#include "images/model/URLResponse.h"
#include "platform/Error.h"

#include <QByteArray>

#include <memory>
#include <optional>

namespace parley {

// What a decoder is made for: the request and the bytes received so far.
struct ImageDecodingContext {
    ImageRequest request;
    QByteArray data;
    bool isCompleted = false;
    std::optional<URLResponse> urlResponse;
    std::optional<ImageResponse::CacheType> cacheType;
};

// Turns bytes into an image. One decoder serves one download; the pipeline
// calls it on its decoding queue, never on its own queue, so a large image
// stalls no other load. Implementations serialise their own calls.
class ImageDecoding {
public:
    virtual ~ImageDecoding() = default;

    // Names the decoder in error descriptions.
    virtual QString name() const = 0;
    // Decodes complete data; throws (ImageDecodingError or another Error)
    // when it cannot.
    virtual ImageContainer decode(const QByteArray& data) = 0;
    // A preview from partial data, or none.
    virtual std::optional<ImageContainer> decodePartiallyDownloadedData(const QByteArray& data) = 0;
};

// The decoders' own failure, which adds nothing to the pipeline's message.
class ImageDecodingError : public Error {
public:
    ImageDecodingError() : Error(QStringLiteral("unknown")) { }
};

} // namespace parley
