#include "images/pipeline/TaskFetchDecodedImage.h"

#include "images/pipeline/ImagePipelineDelegate.h"

namespace parley {

void TaskFetchDecodedImage::start()
{
    const auto upstream = pipeline_.makeTaskFetchOriginalImageData(request_);
    dependency = upstream->subscribe(priority(),
        [weak = weakSelf(this)](const AsyncTask<LoadedData, ImagePipelineError>::Event& event) {
            const auto self = weak.lock();
            if (!self)
                return;
            if (const auto* value = std::get_if<0>(&event))
                self->didReceiveData(value->value, value->isCompleted);
            else if (const auto* progress = std::get_if<ImageTask::Progress>(&event))
                self->send(*progress);
            else
                self->send(std::get<ImagePipelineError>(event));
        });
}

void TaskFetchDecodedImage::didReceiveData(const LoadedData& data, bool isCompleted)
{
    if (isCompleted) {
        // The final image supersedes any preview still being decoded.
        if (const auto previewDecoding = operation.lock())
            previewDecoding->cancel();
    } else if (!pipeline_.configuration_.isProgressiveDecodingEnabled || isDecodingPreview_) {
        return;
    }
    const ImageDecodingContext context { request_, data.data, isCompleted, data.urlResponse, std::nullopt };
    if (!decoder_)
        decoder_ = pipeline_.delegate().imageDecoder(pipeline_, context);
    if (!decoder_) {
        if (isCompleted)
            send(ImagePipelineError::decoderNotRegistered(context));
        return;
    }
    if (!decoder_->runsOnDecodingQueue()) {
        didDecode(decode(*decoder_, context), context);
        return;
    }
    isDecodingPreview_ = !isCompleted;
    runOperation(*pipeline_.imageDecodingQueue_,
        [decoder = decoder_, context] { return decode(*decoder, context); },
        [weak = weakSelf(this), context](const Decoded& decoded) {
            if (const auto self = weak.lock()) {
                self->isDecodingPreview_ = false;
                self->didDecode(decoded, context);
            }
        });
}

TaskFetchDecodedImage::Decoded TaskFetchDecodedImage::decode(ImageDecoding& decoder,
    const ImageDecodingContext& context)
{
    try {
        if (context.isCompleted)
            return { decoder.decode(context.data), nullptr };
        return { decoder.decodePartiallyDownloadedData(context.data), nullptr };
    } catch (...) {
        return { std::nullopt, std::current_exception() };
    }
}

void TaskFetchDecodedImage::didDecode(const Decoded& decoded, const ImageDecodingContext& context)
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
