#pragma once

#include "images/engine/internal/ClosableQueue.h"
#include "images/engine/internal/StagePool.h"
#include "images/loading/RateLimiter.h"
#include "images/model/DataLoadKey.h"
#include "images/model/DecodedImageLoadKey.h"
#include "images/model/ImageLoadKey.h"
#include "images/model/ImageProcessingKey.h"
#include "images/model/ImageResponse.h"
#include "images/model/LoadedData.h"
#include "images/pipeline/ImagePipeline.h"
#include "images/pipeline/ImagePipelineError.h"
#include "platform/OperationQueue.h"

#include <memory>
#include <optional>

namespace parley {

// What the stages of one pipeline share, and all they may reach of it: the
// pipeline's queue (through a closable way onto it), the operation queue of
// each kind of work, the rate limiter and the coalescing pools. Owned by the
// pipeline; used on its serial queue, except the operation queues.
class PipelineStages {
public:
    using ImageStage = Stage<ImageResponse, ImagePipelineError>;
    using DataStage = Stage<LoadedData, ImagePipelineError>;

    PipelineStages(ImagePipeline& pipeline, SerialQueue& queue);
    PipelineStages(const PipelineStages&) = delete;
    PipelineStages& operator=(const PipelineStages&) = delete;

    ImagePipeline& pipeline() const { return pipeline_; }
    const ImagePipeline::Configuration& configuration() const { return pipeline_.configuration(); }
    ImagePipelineDelegate& delegate() const { return pipeline_.delegate(); }
    // Posts back to the pipeline's queue; dropped once the pipeline has gone.
    const std::shared_ptr<ClosableQueue>& pipelineQueue() const { return pipelineQueue_; }
    RateLimiter* rateLimiter() { return rateLimiter_ ? &*rateLimiter_ : nullptr; }

    OperationQueue& dataLoadingQueue() const { return *dataLoadingQueue_; }
    OperationQueue& dataCachingQueue() const { return *dataCachingQueue_; }
    OperationQueue& imageDecodingQueue() const { return *imageDecodingQueue_; }
    OperationQueue& imageEncodingQueue() const { return *imageEncodingQueue_; }
    OperationQueue& imageProcessingQueue() const { return *imageProcessingQueue_; }
    OperationQueue& imageDecompressingQueue() const { return *imageDecompressingQueue_; }

    // The data cache's key for what a request loads: the delegate's custom
    // key, else the image id followed by the thumbnail's and the processors'
    // identifiers (just the image id for the original bytes).
    QString dataCacheKey(const ImageRequest& request) const;
    QString originalDataCacheKey(const ImageRequest& request) const;

    // The stage doing each kind of work for a request, shared with every
    // other request that needs the same work.
    std::shared_ptr<ImageStage> loadImage(const ImageRequest& request);
    std::shared_ptr<DataStage> loadData(const ImageRequest& request);
    std::shared_ptr<ImageStage> fetchDecodedImage(const ImageRequest& request);
    std::shared_ptr<DataStage> fetchOriginalData(const ImageRequest& request);
    std::shared_ptr<ImageStage> processImage(
        const ImageProcessingKey& key, const std::function<std::shared_ptr<ImageStage>()>& make);

    // Drops later posts to the pipeline's queue.
    void close() { pipelineQueue_->close(); }

private:
    ImagePipeline& pipeline_;
    std::shared_ptr<ClosableQueue> pipelineQueue_;
    std::shared_ptr<OperationQueue> dataLoadingQueue_;
    std::shared_ptr<OperationQueue> dataCachingQueue_;
    std::shared_ptr<OperationQueue> imageDecodingQueue_;
    std::shared_ptr<OperationQueue> imageEncodingQueue_;
    std::shared_ptr<OperationQueue> imageProcessingQueue_;
    std::shared_ptr<OperationQueue> imageDecompressingQueue_;
    std::optional<RateLimiter> rateLimiter_;

    StagePool<ImageLoadKey, ImageResponse, ImagePipelineError> loadImageStages_;
    StagePool<ImageLoadKey, LoadedData, ImagePipelineError> loadDataStages_;
    StagePool<DecodedImageLoadKey, ImageResponse, ImagePipelineError> fetchDecodedImageStages_;
    StagePool<DataLoadKey, LoadedData, ImagePipelineError> fetchOriginalDataStages_;
    StagePool<ImageProcessingKey, ImageResponse, ImagePipelineError> processImageStages_;
};

} // namespace parley
