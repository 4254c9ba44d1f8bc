#pragma once

#include "app/account/BundleConfig.h"

namespace parley {

class ImagePipeline;

// The process's image pipeline as the application runs it: before it is
// created, the shared disk HTTP cache of its downloads is placed in the
// user's cache directory under the bundle identifier, so emote images
// downloaded once are served from disk in later sessions and launches.
ImagePipeline& sharedImagePipeline(const BundleConfig& config);

} // namespace parley
