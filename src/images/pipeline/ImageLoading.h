#pragma once

#include "images/pipeline/LoadResult.h"

#include <QUrl>

#include <functional>
#include <memory>

namespace parley {

class ImageTask;

// Loading an image by its address: all that code needing images, but not
// the pipeline that makes them, sees of it.
class ImageLoading {
public:
    using ImageCompletion = std::function<void(const ImageResult& result)>;

    virtual ~ImageLoading() = default;

    // Loads an image; `completion` runs once on the loader's callback queue
    // (the main thread unless configured otherwise), unless the task is
    // cancelled first. The returned task may be ignored.
    virtual std::shared_ptr<ImageTask> loadImage(const QUrl& url, ImageCompletion completion) = 0;
};

} // namespace parley
