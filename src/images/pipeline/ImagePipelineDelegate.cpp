#include "images/pipeline/ImagePipelineDelegate.h"

#include "images/pipeline/ImagePipeline.h"

namespace parley {

std::shared_ptr<DataLoading> ImagePipelineDelegate::dataLoader(ImagePipeline& pipeline, const ImageRequest&)
{
    return pipeline.configuration().dataLoader;
}

std::shared_ptr<ImageDecoding> ImagePipelineDelegate::imageDecoder(
    ImagePipeline& pipeline, const ImageDecodingContext& context)
{
    const auto& make = pipeline.configuration().makeImageDecoder;
    return make ? make(context) : pipeline.configuration().services.decoderRegistry->decoder(context);
}

std::shared_ptr<ImageEncoding> ImagePipelineDelegate::imageEncoder(
    ImagePipeline& pipeline, const ImageEncodingContext& context)
{
    const auto& make = pipeline.configuration().makeImageEncoder;
    return make ? make(context) : std::make_shared<ImageEncoders::Default>();
}

ImageCaching* ImagePipelineDelegate::imageCache(ImagePipeline& pipeline, const ImageRequest&)
{
    const auto& configuration = pipeline.configuration();
    if (configuration.isCustomImageCacheProvided)
        return configuration.customImageCache.get();
    return configuration.services.imageCache.get();
}

DataCaching* ImagePipelineDelegate::dataCache(ImagePipeline& pipeline, const ImageRequest&)
{
    return pipeline.configuration().dataCache.get();
}

std::optional<QString> ImagePipelineDelegate::cacheKey(ImagePipeline&, const ImageRequest&)
{
    return std::nullopt;
}

std::optional<QByteArray> ImagePipelineDelegate::willCache(ImagePipeline&, const QByteArray& data, const ImageRequest&)
{
    return data;
}

bool ImagePipelineDelegate::shouldDecompress(ImagePipeline& pipeline, const ImageResponse&)
{
    return pipeline.configuration().isDecompressionEnabled;
}

ImageContainer ImagePipelineDelegate::decompress(ImagePipeline&, const ImageContainer& container)
{
    // A bitmap in the display's native format draws without conversion.
    ImageContainer decompressed = container;
    decompressed.setImage(container.image().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return decompressed;
}

} // namespace parley
