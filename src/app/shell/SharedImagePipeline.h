#pragma once

#include "app/account/BundleConfig.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/MemoryPressureSource.h"

#include <memory>

namespace parley {

// The application's image pipeline and the services behind it, made once at
// launch and handed down to the sessions: its memory cache and its store of
// interrupted downloads empty themselves on the system's memory pressure,
// and its disk HTTP cache sits in the user's cache directory under the
// bundle identifier, so emote images downloaded once are served from disk in
// later sessions and launches. Main thread only; it outlives the sessions
// that load through it, and ends the loads still in flight when it goes.
class SharedImagePipeline {
public:
    explicit SharedImagePipeline(const BundleConfig& config);

    ImagePipeline& pipeline() const { return *pipeline_; }
    // The source the caches follow.
    MemoryPressureSource& memoryPressure() { return memoryPressure_; }

private:
    MemoryPressureSource memoryPressure_;
    std::shared_ptr<ImagePipeline> pipeline_;
};

} // namespace parley
