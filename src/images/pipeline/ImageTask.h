#pragma once

#include "images/model/ImageRequest.h"
#include "images/model/ImageTaskProgress.h"

#include <functional>
#include <memory>
#include <mutex>

namespace parley {

class ImagePipeline;
class SerialQueue;

// The handle of one load. Its priority, progress and state are guarded by
// the task's own lock, so they may be read and changed from any thread.
class ImageTask {
public:
    enum class State { running, cancelled, completed };
    using Progress = ImageTaskProgress;

    ImageTask(qint64 taskId, ImageRequest request, std::weak_ptr<ImagePipeline> pipeline, SerialQueue* callbackQueue,
        bool isDataTask);

    qint64 taskId() const { return taskId_; }
    const ImageRequest& request() const { return request_; }
    const std::weak_ptr<ImagePipeline>& pipeline() const { return pipeline_; }
    // None means the pipeline configuration's callback queue.
    SerialQueue* callbackQueue() const { return callbackQueue_; }
    bool isDataTask() const { return isDataTask_; }

    ImageRequest::Priority priority() const;
    // Stores the priority; false when it was already the current one.
    bool storePriority(ImageRequest::Priority priority);
    Progress progress() const;
    void storeProgress(Progress progress);
    State state() const;
    // Moves a running task to `state` (cancelled or completed); false when
    // the task had already ended, which makes every ending happen once.
    bool end(State state);
    // Records that the caller cancelled the task and ends it as cancelled
    // when it is still running. A task that ended on the pipeline's queue
    // may still have its completion on the way; the callback queue checks
    // isCancelRequested just before calling it.
    bool cancel();
    bool isCancelRequested() const;

    // Run once when the task is cancelled.
    std::function<void()> onCancel;

private:
    const qint64 taskId_;
    const ImageRequest request_;
    const std::weak_ptr<ImagePipeline> pipeline_;
    SerialQueue* const callbackQueue_;
    const bool isDataTask_;

    mutable std::mutex lock_;
    ImageRequest::Priority priority_;
    Progress progress_;
    State state_ = State::running;
    bool isCancelRequested_ = false;
};

} // namespace parley
