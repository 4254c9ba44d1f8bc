#include "images/pipeline/ImageTask.h"

namespace parley {

ImageTask::ImageTask(qint64 taskId, ImageRequest request, std::weak_ptr<ImagePipeline> pipeline,
    SerialQueue* callbackQueue, bool isDataTask)
    : taskId_(taskId)
    , request_(std::move(request))
    , pipeline_(std::move(pipeline))
    , callbackQueue_(callbackQueue)
    , isDataTask_(isDataTask)
    , priority_(request_.priority())
{ }

ImageRequest::Priority ImageTask::priority() const
{
    std::lock_guard lock(lock_);
    return priority_;
}

bool ImageTask::storePriority(ImageRequest::Priority priority)
{
    std::lock_guard lock(lock_);
    return std::exchange(priority_, priority) != priority;
}

ImageTask::Progress ImageTask::progress() const
{
    std::lock_guard lock(lock_);
    return progress_;
}

void ImageTask::storeProgress(Progress progress)
{
    std::lock_guard lock(lock_);
    progress_ = progress;
}

ImageTask::State ImageTask::state() const
{
    std::lock_guard lock(lock_);
    return state_;
}

bool ImageTask::end(State state)
{
    std::lock_guard lock(lock_);
    if (state_ != State::running)
        return false;
    state_ = state;
    return true;
}

bool ImageTask::cancel()
{
    std::lock_guard lock(lock_);
    isCancelRequested_ = true;
    if (state_ != State::running)
        return false;
    state_ = State::cancelled;
    return true;
}

bool ImageTask::isCancelRequested() const
{
    std::lock_guard lock(lock_);
    return isCancelRequested_;
}

} // namespace parley
