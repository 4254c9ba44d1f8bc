#include "images/pipeline/ImagePipelineError.h"

namespace parley {

namespace {

QString underlyingText(const std::exception_ptr& error)
{
    return QStringLiteral("Underlying error: ") + describe(error) + QLatin1Char('.');
}

// The decoders' and processors' own errors say nothing beyond "failed".
template <typename OwnError>
QString suffix(const std::exception_ptr& error)
{
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const OwnError&) {
        return {};
    } catch (...) {
        return QLatin1Char(' ') + underlyingText(error);
    }
}

} // namespace

ImagePipelineError ImagePipelineError::dataMissingInCache()
{
    return { Kind::dataMissingInCache, QStringLiteral("Failed to load data from cache and download is disabled.") };
}

ImagePipelineError ImagePipelineError::dataLoadingFailed(std::exception_ptr error)
{
    ImagePipelineError e(
        Kind::dataLoadingFailed, QStringLiteral("Failed to load image data. ") + underlyingText(error));
    e.underlying_ = std::move(error);
    return e;
}

ImagePipelineError ImagePipelineError::dataIsEmpty()
{
    return { Kind::dataIsEmpty, QStringLiteral("Data loader returned empty data.") };
}

ImagePipelineError ImagePipelineError::decoderNotRegistered(ImageDecodingContext context)
{
    ImagePipelineError e(Kind::decoderNotRegistered, QStringLiteral("No decoders registered for the downloaded data."));
    e.decodingContext_ = std::move(context);
    return e;
}

ImagePipelineError ImagePipelineError::decodingFailed(
    std::shared_ptr<ImageDecoding> decoder, ImageDecodingContext context, std::exception_ptr error)
{
    const QString name = decoder ? decoder->name() : QStringLiteral("none");
    ImagePipelineError e(Kind::decodingFailed,
        QStringLiteral("Failed to decode image data using decoder ") + name + QLatin1Char('.') +
            suffix<ImageDecodingError>(error));
    e.decoder_ = std::move(decoder);
    e.decodingContext_ = std::move(context);
    e.underlying_ = std::move(error);
    return e;
}

ImagePipelineError ImagePipelineError::processingFailed(
    ImageProcessor processor, ImageProcessingContext context, std::exception_ptr error)
{
    const QString name = processor ? processor->identifier() : QStringLiteral("none");
    ImagePipelineError e(Kind::processingFailed,
        QStringLiteral("Failed to process the image using processor ") + name + QLatin1Char('.') +
            suffix<ImageProcessingError>(error));
    e.processor_ = std::move(processor);
    e.processingRequest_ = context.request;
    e.processingResponse_ = context.response;
    e.underlying_ = std::move(error);
    return e;
}

ImagePipelineError ImagePipelineError::imageRequestMissing()
{
    return { Kind::imageRequestMissing,
        QStringLiteral("Load image method was called with no image request or no URL.") };
}

ImagePipelineError ImagePipelineError::pipelineInvalidated()
{
    return { Kind::pipelineInvalidated, QStringLiteral("Image pipeline is invalidated and no requests can be made.") };
}

} // namespace parley
