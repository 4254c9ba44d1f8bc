#include "images/decoding/ImageDecoderRegistry.h"

#include "images/decoding/ImageDecoders.h"

namespace parley {

std::shared_ptr<ImageDecoderRegistry> ImageDecoderRegistry::withDefaultDecoder()
{
    auto registry = std::make_shared<ImageDecoderRegistry>();
    registry->registerDecoder([](const ImageDecodingContext& context) -> std::shared_ptr<ImageDecoding> {
        return ImageDecoders::Default::make(context);
    });
    return registry;
}

void ImageDecoderRegistry::registerDecoder(Match match)
{
    std::lock_guard lock(lock_);
    matches_.push_back(std::move(match));
}

std::shared_ptr<ImageDecoding> ImageDecoderRegistry::decoder(const ImageDecodingContext& context) const
{
    std::lock_guard lock(lock_);
    for (auto match = matches_.rbegin(); match != matches_.rend(); ++match)
        if (auto decoder = (*match)(context))
            return decoder;
    return nullptr;
}

void ImageDecoderRegistry::clear()
{
    std::lock_guard lock(lock_);
    matches_.clear();
}

} // namespace parley
