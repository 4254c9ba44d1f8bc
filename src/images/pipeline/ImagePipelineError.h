#pragma once

#include "images/decoding/ImageDecoding.h"
#include "images/processing/ImageProcessing.h"
#include "platform/Error.h"

#include <exception>
#include <memory>
#include <optional>

namespace parley {

// Every way a load fails, each with its fixed description.
class ImagePipelineError : public Error {
public:
    enum class Kind {
        dataMissingInCache,
        dataLoadingFailed,
        dataIsEmpty,
        decoderNotRegistered,
        decodingFailed,
        processingFailed,
        imageRequestMissing,
        pipelineInvalidated,
    };

    static ImagePipelineError dataMissingInCache();
    static ImagePipelineError dataLoadingFailed(std::exception_ptr error);
    static ImagePipelineError dataIsEmpty();
    static ImagePipelineError decoderNotRegistered(ImageDecodingContext context);
    static ImagePipelineError decodingFailed(
        std::shared_ptr<ImageDecoding> decoder, ImageDecodingContext context, std::exception_ptr error);
    static ImagePipelineError processingFailed(
        ImageProcessor processor, ImageProcessingContext context, std::exception_ptr error);
    static ImagePipelineError imageRequestMissing();
    static ImagePipelineError pipelineInvalidated();

    Kind kind() const { return kind_; }
    // The underlying error of dataLoadingFailed, decodingFailed, processingFailed.
    std::exception_ptr underlyingError() const { return underlying_; }
    // The decoding context of decoderNotRegistered and decodingFailed.
    const std::optional<ImageDecodingContext>& decodingContext() const { return decodingContext_; }
    const std::shared_ptr<ImageDecoding>& decoder() const { return decoder_; }
    const ImageProcessor& processor() const { return processor_; }
    // The request and image of processingFailed.
    const std::optional<ImageRequest>& processingRequest() const { return processingRequest_; }
    const std::optional<ImageResponse>& processingResponse() const { return processingResponse_; }

private:
    ImagePipelineError(Kind kind, QString description) : Error(std::move(description)), kind_(kind) { }

    Kind kind_;
    std::exception_ptr underlying_;
    std::optional<ImageDecodingContext> decodingContext_;
    std::shared_ptr<ImageDecoding> decoder_;
    ImageProcessor processor_;
    std::optional<ImageRequest> processingRequest_;
    std::optional<ImageResponse> processingResponse_;
};

} // namespace parley
