#include "app/shell/SharedImagePipeline.h"

#include "images/loading/URLCache.h"
#include "images/pipeline/ImagePipeline.h"

namespace parley {

ImagePipeline& sharedImagePipeline(const BundleConfig& config)
{
    URLCache::setBundleIdentifier(config.bundleIdentifier);
    return ImagePipeline::shared();
}

} // namespace parley
