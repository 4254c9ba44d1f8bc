#include "app/shell/SharedImagePipeline.h"

#include "images/loading/UrlCache.h"
#include "images/pipeline/ImagePipeline.h"

namespace parley {

ImagePipeline& sharedImagePipeline(const BundleConfig& config)
{
    UrlCache::setBundleIdentifier(config.bundleIdentifier);
    return ImagePipeline::shared();
}

} // namespace parley
