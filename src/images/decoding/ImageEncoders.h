#pragma once

#include "images/model/AssetType.h"
#include "images/model/ImageContainer.h"
#include "images/model/ImageRequest.h"
#include "images/model/URLResponse.h"

#include <QByteArray>
#include <QImage>

#include <optional>

namespace parley {

// What an encoder is asked to encode.
struct ImageEncodingContext {
    ImageRequest request;
    QImage image;
    std::optional<URLResponse> urlResponse;
};

// Turns an image back into bytes (for data caches that store encoded images).
// Implementations must be usable from any thread.
class ImageEncoding {
public:
    virtual ~ImageEncoding() = default;
    // The encoded bytes, or none when the image cannot be encoded.
    virtual std::optional<QByteArray> encode(const QImage& image) const = 0;
    virtual std::optional<QByteArray> encode(const ImageContainer& container, const ImageEncodingContext&) const
    {
        return encode(container.image());
    }
};

namespace ImageEncoders {

// PNG for images with transparency, JPEG at `compressionQuality` otherwise;
// HEIF when preferred and a HEIF writer is installed.
class Default : public ImageEncoding {
public:
    float compressionQuality = 0.8f;
    bool isHEIFPreferred = false;

    std::optional<QByteArray> encode(const QImage& image) const override;
};

// Encodes to one given format through Qt's image writers.
class ImageIO : public ImageEncoding {
public:
    ImageIO(AssetType type, float compressionRatio) : type(std::move(type)), compressionRatio(compressionRatio) { }

    AssetType type;
    // 0 (smallest) to 1 (best quality), for formats that compress lossily.
    float compressionRatio;

    std::optional<QByteArray> encode(const QImage& image) const override;
    // Whether Qt can write `type` on this system.
    static bool isSupported(const AssetType& type);
};

} // namespace ImageEncoders

} // namespace parley
