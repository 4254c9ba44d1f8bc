#pragma once

#include "images/decoding/ImageDecoding.h"
#include "images/decoding/ProgressiveJPEGScanner.h"

#include <memory>
#include <mutex>
#include <optional>

namespace parley::ImageDecoders {

// Decodes every format Qt's image readers know (PNG, JPEG, GIF, WebP...).
// Complete data gives the full image (a GIF's first frame, with the whole
// file attached for animation) or a thumbnail; partial data gives previews
// of progressive JPEGs, one per new scan, and a single first-frame preview of
// a GIF. Images whose header claims more than maxImageBytes of pixels are
// refused before any pixel is allocated. Its calls serialise on its own lock,
// so it may be used from any thread.
class Default : public ImageDecoding {
public:
    static constexpr qint64 maxImageBytes = qint64(128) << 20;

    // The decoder for `context`, or none when partial data cannot preview yet
    // (not a GIF, nor a JPEG known to be progressive).
    static std::shared_ptr<Default> make(const ImageDecodingContext& context);

    Default(std::optional<float> scale = std::nullopt,
        std::optional<ImageRequest::ThumbnailOptions> thumbnail = std::nullopt);

    QString name() const override { return QStringLiteral("ImageDecoders.Default"); }
    ImageContainer decode(const QByteArray& data) override;
    std::optional<ImageContainer> decodePartiallyDownloadedData(const QByteArray& data) override;

private:
    QImage makeImage(const QByteArray& data) const;

    std::mutex lock_;
    ProgressiveJPEGScanner scanner_;
    bool isPreviewForGIFGenerated_ = false;
    const std::optional<float> scale_;
    const std::optional<ImageRequest::ThumbnailOptions> thumbnail_;
};

// Hands the bytes back untouched in a container with an empty image, for
// callers that only want the data.
class Empty : public ImageDecoding {
public:
    explicit Empty(bool isProgressive = false, std::optional<AssetType> assetType = std::nullopt)
        : isProgressive_(isProgressive), assetType_(std::move(assetType))
    { }

    QString name() const override { return QStringLiteral("ImageDecoders.Empty"); }
    ImageContainer decode(const QByteArray& data) override;
    std::optional<ImageContainer> decodePartiallyDownloadedData(const QByteArray& data) override;

private:
    const bool isProgressive_;
    const std::optional<AssetType> assetType_;
};

} // namespace parley::ImageDecoders
