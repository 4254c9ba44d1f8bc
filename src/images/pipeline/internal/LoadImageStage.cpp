#include "images/pipeline/internal/LoadImageStage.h"

#include "images/pipeline/ImagePipelineDelegate.h"
#include "images/pipeline/internal/OperationStage.h"

#include <algorithm>

namespace parley {

namespace {

using ImageEvent = Stage<ImageResponse, ImagePipelineError>::Event;

struct DecodedCache {
    std::optional<ImageContainer> container;
};

} // namespace

void LoadImageStage::start()
{
    if (const auto cached = pipeline().cachedImage(request_)) {
        const bool isFinal = !cached->isPreview();
        send(ImageResponse { *cached, request_, std::nullopt, ImageResponse::CacheType::memory }, isFinal);
        if (isFinal)
            return;
    }
    DataCaching* dataCache = stages_.delegate().dataCache(pipeline(), request_);
    if (dataCache && !has(ImageRequest::Option::noDiskCacheReads))
        loadFromDataCache(*dataCache);
    else
        loadImage();
}

void LoadImageStage::loadFromDataCache(DataCaching& cache)
{
    const QString key = stages_.dataCacheKey(request_);
    runOperation(
        stages_.dataCachingQueue(), [cache = &cache, key] { return cache->cachedData(key); },
        [weak = weakSelf(this)](const std::optional<QByteArray>& data) {
            const auto self = weak.lock();
            if (!self || self->isDisposed())
                return;
            if (data)
                self->decodeCachedData(*data);
            else
                self->loadImage();
        });
}

void LoadImageStage::decodeCachedData(const QByteArray& data)
{
    const ImageDecodingContext context { request_, data, true, std::nullopt, ImageResponse::CacheType::disk };
    const auto decoder = stages_.delegate().imageDecoder(pipeline(), context);
    if (!decoder) {
        loadImage();
        return;
    }
    runOperation(
        stages_.imageDecodingQueue(),
        [decoder, data]() -> DecodedCache {
            try {
                return { decoder->decode(data) };
            } catch (...) {
                return {};
            }
        },
        [weak = weakSelf(this)](const DecodedCache& decoded) {
            const auto self = weak.lock();
            if (!self || self->isDisposed())
                return;
            if (!decoded.container) {
                self->loadImage(); // unreadable cached bytes: go to the network
                return;
            }
            self->didProduceImage(
                ImageResponse { *decoded.container, self->request_, std::nullopt, ImageResponse::CacheType::disk },
                true);
        });
}

void LoadImageStage::loadImage()
{
    if (has(ImageRequest::Option::cacheOnly)) {
        send(ImagePipelineError::dataMissingInCache());
        return;
    }
    std::shared_ptr<PipelineStages::ImageStage> upstream;
    if (request_.processors().isEmpty()) {
        upstream = stages_.fetchDecodedImage(request_);
    } else {
        // The image with all processors but the last, coalesced and possibly
        // already in the memory cache.
        ImageRequest shorter = request_;
        QList<ImageProcessor> processors = shorter.processors();
        processors.removeLast();
        shorter.setProcessors(processors);
        upstream = stages_.loadImage(shorter);
    }
    subscribeTo(this, upstream, [](LoadImageStage& self, const ImageResponse& response, bool isCompleted) {
        self.didReceiveImage(response, isCompleted);
    });
}

void LoadImageStage::didReceiveImage(const ImageResponse& response, bool isCompleted)
{
    if (request_.processors().isEmpty())
        didProduceImage(response, isCompleted);
    else
        process(response, isCompleted);
}

void LoadImageStage::process(const ImageResponse& response, bool isCompleted)
{
    const ImageProcessor processor = request_.processors().last();
    const ImageProcessingKey key { response.image().constBits(), processor->identifier() };
    const auto processing = stages_.processImage(key, [&] {
        return std::make_shared<OperationStage<ImageResponse>>(
            stages_, request_, stages_.imageProcessingQueue(), [processor, response, request = request_, isCompleted] {
                const ImageProcessingContext context { request, response, isCompleted };
                const auto image = processor->process(response.image(), context);
                if (!image)
                    throw ImagePipelineError::processingFailed(
                        processor, context, std::make_exception_ptr(ImageProcessingError()));
                ImageResponse processed = response;
                processed.container.setImage(*image);
                return processed;
            });
    });
    // A newer image replaces the one still being processed.
    if (auto previous = std::exchange(dependency2, std::nullopt))
        previous->unsubscribe();
    dependency2 = processing->subscribe(priority(), [weak = weakSelf(this), isCompleted](const ImageEvent& event) {
        const auto self = weak.lock();
        if (!self)
            return;
        if (const auto* value = std::get_if<0>(&event)) {
            ImageResponse processed = value->value;
            processed.request = self->request_;
            self->didProduceImage(processed, isCompleted);
        } else if (const auto* error = std::get_if<ImagePipelineError>(&event)) {
            self->send(*error);
        }
    });
}

void LoadImageStage::didProduceImage(const ImageResponse& response, bool isCompleted)
{
    const bool isDecompressionNeeded = !has(ImageRequest::Option::noDecompression) &&
        !response.container.userInfo().value(ImageContainer::skipDecompressionKey).toBool() &&
        stages_.delegate().shouldDecompress(pipeline(), response);
    if (!isDecompressionNeeded) {
        storeAndSend(response, isCompleted);
        return;
    }
    auto& pipeline = this->pipeline();
    runOperation(
        stages_.imageDecompressingQueue(),
        [&pipeline, response] {
            ImageResponse decompressed = response;
            decompressed.container = pipeline.delegate().decompress(pipeline, response.container);
            return decompressed;
        },
        [weak = weakSelf(this), isCompleted](const ImageResponse& decompressed) {
            if (const auto self = weak.lock())
                self->storeAndSend(decompressed, isCompleted);
        });
}

void LoadImageStage::storeAndSend(const ImageResponse& response, bool isCompleted)
{
    const bool isStored = hasSubscriberOfType<ImageTask>() && !has(ImageRequest::Option::noMemoryCacheWrites) &&
        (isCompleted || stages_.configuration().isStoringPreviewsInMemoryCache);
    if (isStored)
        pipeline().storeCachedImage(response.container, request_);
    if (isCompleted && !response.cacheType && isStoringEncodedImage())
        storeEncodedImage(response);
    send(response, isCompleted);
}

bool LoadImageStage::isStoringEncodedImage() const
{
    using Policy = ImagePipeline::DataCachePolicy;
    if (!stages_.delegate().dataCache(pipeline(), request_))
        return false;
    const auto tasks = imageTasks();
    if (std::all_of(tasks.begin(), tasks.end(), [](const auto& task) {
            return task->request().options().testFlag(ImageRequest::Option::noDiskCacheWrites);
        }))
        return false;
    const bool isProcessed = !request_.processors().isEmpty() || request_.thumbnail();
    switch (stages_.configuration().dataCachePolicy) {
    case Policy::storeEncodedImages:
        return true;
    case Policy::storeAll:
        return isProcessed; // the original bytes are stored under a plain request's key
    case Policy::automatic:
        return !request_.processors().isEmpty();
    case Policy::storeOriginalData:
        return false;
    }
    return false;
}

void LoadImageStage::storeEncodedImage(const ImageResponse& response)
{
    const ImageEncodingContext context { request_, response.image(), response.urlResponse };
    const auto encoder = stages_.delegate().imageEncoder(pipeline(), context);
    if (!encoder)
        return;
    stages_.imageEncodingQueue().addOperation(
        std::make_shared<AsyncOperation>([stages = &stages_, queue = stages_.pipelineQueue(), encoder,
                                             container = response.container, context](AsyncOperation::Finish finish) {
            auto encoded = encoder->encode(container, context);
            finish();
            if (!encoded)
                return;
            // The delegate's hooks run on the pipeline's queue; the queue
            // drops this once the pipeline has gone.
            queue->async([stages, request = context.request, encoded = std::move(*encoded)] {
                auto& pipeline = stages->pipeline();
                DataCaching* cache = stages->delegate().dataCache(pipeline, request);
                const auto data = stages->delegate().willCache(pipeline, encoded, request);
                if (!cache || !data)
                    return;
                stages->dataCachingQueue().addOperation(std::make_shared<AsyncOperation>(
                    [cache, data = *data, key = stages->dataCacheKey(request)](AsyncOperation::Finish finish) {
                        cache->storeData(data, key);
                        finish();
                    }));
            });
        }));
}

} // namespace parley
