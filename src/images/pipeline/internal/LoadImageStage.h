#pragma once

#include "images/pipeline/internal/PipelineStage.h"

namespace parley {

// A whole image load, once per distinct request: the memory cache, then the
// data cache, then the decoded download with the request's processors
// applied (the last one here, the others by the load of the shorter
// request), decompression when asked for, and storing in the memory cache.
class LoadImageStage final : public PipelineStage<ImageResponse> {
public:
    using PipelineStage::PipelineStage;

private:
    void start() override;
    void loadFromDataCache(DataCaching& cache);
    void decodeCachedData(const QByteArray& data);
    void loadImage();
    void didReceiveImage(const ImageResponse& response, bool isCompleted);
    void process(const ImageResponse& response, bool isCompleted);
    void didProduceImage(const ImageResponse& response, bool isCompleted);
    void storeAndSend(const ImageResponse& response, bool isCompleted);
    bool isStoringEncodedImage() const;
    void storeEncodedImage(const ImageResponse& response);

    bool has(ImageRequest::Option option) const { return request_.options().testFlag(option); }
};

} // namespace parley
