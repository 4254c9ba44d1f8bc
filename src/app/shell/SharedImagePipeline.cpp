#include "app/shell/SharedImagePipeline.h"

namespace parley {

SharedImagePipeline::SharedImagePipeline(const BundleConfig& config)
{
    ImagePipeline::Configuration configuration;
    configuration.services = ImageServices::make(&memoryPressure_, URLCache::forBundle(config.bundleIdentifier));
    pipeline_ = ImagePipeline::create(std::move(configuration));
}

} // namespace parley
