#include "images/pipeline/ImageServices.h"

namespace parley {

ImageServices ImageServices::make(MemoryPressureSource* memoryPressure, URLCache urlCache)
{
    ImageServices services;
    services.imageCache = std::make_shared<ImageCache>(std::nullopt, memoryPressure);
    services.resumableData = std::make_shared<ResumableDataStorage>(memoryPressure);
    services.urlCache = std::move(urlCache);
    return services.completed();
}

ImageServices ImageServices::completed() const
{
    ImageServices services = *this;
    if (!services.imageCache)
        services.imageCache = std::make_shared<ImageCache>(std::nullopt, nullptr);
    if (!services.resumableData)
        services.resumableData = std::make_shared<ResumableDataStorage>();
    if (!services.decoderRegistry)
        services.decoderRegistry = ImageDecoderRegistry::withDefaultDecoder();
    return services;
}

} // namespace parley
