#pragma once

#include "images/model/LoadedData.h"
#include "images/pipeline/internal/PipelineStage.h"

namespace parley {

// Decodes the original bytes of an image (and, with progressive decoding,
// previews from partial bytes), once per distinct download and thumbnail.
class FetchDecodedImageStage final : public PipelineStage<ImageResponse> {
public:
    using PipelineStage::PipelineStage;

private:
    struct Decoded {
        std::optional<ImageContainer> container;
        std::exception_ptr error;
    };

    void start() override;
    void didReceiveData(const LoadedData& data, bool isCompleted);
    static Decoded decode(ImageDecoding& decoder, const ImageDecodingContext& context);
    void didDecode(const Decoded& decoded, const ImageDecodingContext& context);

    std::shared_ptr<ImageDecoding> decoder_;
    bool isDecodingPreview_ = false;
};

} // namespace parley
