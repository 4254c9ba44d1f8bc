#pragma once

#include "images/cache/DataCaching.h"
#include "images/cache/ImageCache.h"
#include "images/decoding/ImageDecoding.h"
#include "images/decoding/ImageEncoders.h"
#include "images/loading/DataLoading.h"
#include "images/pipeline/ImageTask.h"
#include "images/pipeline/LoadResult.h"

#include <memory>
#include <optional>

namespace parley {

class ImagePipeline;

// Hooks into a pipeline's decisions and events. Each hook has the default
// behaviour; override the ones to change. The decision hooks and the task
// events run on the pipeline's queue, except the cancellation event, which
// runs on the task's callback queue.
class ImagePipelineDelegate {
public:
    virtual ~ImagePipelineDelegate() = default;

    virtual std::shared_ptr<DataLoading> dataLoader(ImagePipeline& pipeline, const ImageRequest& request);
    virtual std::shared_ptr<ImageDecoding> imageDecoder(ImagePipeline& pipeline, const ImageDecodingContext& context);
    // Encodes processed images for the data cache.
    virtual std::shared_ptr<ImageEncoding> imageEncoder(ImagePipeline& pipeline, const ImageEncodingContext& context);
    virtual ImageCaching* imageCache(ImagePipeline& pipeline, const ImageRequest& request);
    virtual DataCaching* dataCache(ImagePipeline& pipeline, const ImageRequest& request);
    // A key to use instead of the request's default cache key.
    virtual std::optional<QString> cacheKey(ImagePipeline& pipeline, const ImageRequest& request);
    // The bytes to put in the data cache (none: store nothing).
    virtual std::optional<QByteArray> willCache(
        ImagePipeline& pipeline, const QByteArray& data, const ImageRequest& request);
    virtual bool shouldDecompress(ImagePipeline& pipeline, const ImageResponse& response);
    virtual ImageContainer decompress(ImagePipeline& pipeline, const ImageContainer& container);

    virtual void imageTaskCreated(ImagePipeline&, const ImageTask&) { }
    virtual void imageTaskDidStart(ImagePipeline&, const ImageTask&) { }
    virtual void imageTaskDidUpdateProgress(ImagePipeline&, const ImageTask&, const ImageTask::Progress&) { }
    virtual void imageTaskDidReceivePreview(ImagePipeline&, const ImageTask&, const ImageResponse&) { }
    virtual void imageTaskDidCancel(ImagePipeline&, const ImageTask&) { }
    virtual void imageTaskDidComplete(ImagePipeline&, const ImageTask&, const ImagePipelineError* /*error*/) { }
};

// The delegate a pipeline gets when none is given: every hook as above.
class ImagePipelineDefaultDelegate final : public ImagePipelineDelegate { };

} // namespace parley
