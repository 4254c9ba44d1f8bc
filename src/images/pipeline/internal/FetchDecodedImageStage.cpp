#include "images/pipeline/internal/FetchDecodedImageStage.h"

#include "images/pipeline/ImagePipelineDelegate.h"

namespace parley {

void FetchDecodedImageStage::start()
{
    subscribeTo(this, stages_.fetchOriginalData(request_),
        [](FetchDecodedImageStage& self, const LoadedData& data, bool isCompleted) {
            self.didReceiveData(data, isCompleted);
        });
}

void FetchDecodedImageStage::didReceiveData(const LoadedData& data, bool isCompleted)
{
    if (isCompleted) {
        // The final image supersedes any preview still being decoded.
        if (const auto previewDecoding = operation.lock())
            previewDecoding->cancel();
    } else if (!stages_.configuration().isProgressiveDecodingEnabled || isDecodingPreview_) {
        return;
    }
    const ImageDecodingContext context { request_, data.data, isCompleted, data.urlResponse, std::nullopt };
    if (!decoder_)
        decoder_ = stages_.delegate().imageDecoder(pipeline(), context);
    if (!decoder_) {
        if (isCompleted)
            send(ImagePipelineError::decoderNotRegistered(context));
        return;
    }
    isDecodingPreview_ = !isCompleted;
    runOperation(
        stages_.imageDecodingQueue(), [decoder = decoder_, context] { return decode(*decoder, context); },
        [weak = weakSelf(this), context](const Decoded& decoded) {
            if (const auto self = weak.lock()) {
                self->isDecodingPreview_ = false;
                self->didDecode(decoded, context);
            }
        });
}

FetchDecodedImageStage::Decoded FetchDecodedImageStage::decode(
    ImageDecoding& decoder, const ImageDecodingContext& context)
{
    try {
        if (context.isCompleted)
            return { decoder.decode(context.data), nullptr };
        return { decoder.decodePartiallyDownloadedData(context.data), nullptr };
    } catch (...) {
        return { std::nullopt, std::current_exception() };
    }
}

void FetchDecodedImageStage::didDecode(const Decoded& decoded, const ImageDecodingContext& context)
{
    if (decoded.error) {
        if (context.isCompleted)
            send(ImagePipelineError::decodingFailed(decoder_, context, decoded.error));
        return;
    }
    if (decoded.container)
        send(ImageResponse { *decoded.container, request_, context.urlResponse, std::nullopt }, context.isCompleted);
}

} // namespace parley
