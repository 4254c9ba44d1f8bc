#pragma once

#include "images/engine/AsyncTask.h"
#include "images/engine/ClosableQueue.h"
#include "images/pipeline/ImagePipeline.h"
#include "images/model/ImagePipelineError.h"
#include "images/engine/Operation.h"

namespace parley {

// A stage of a pipeline's work for one request. Runs on the pipeline's queue;
// work it hands to other threads comes back through the pipeline's closable
// queue and finds the stage only if it still exists.
template <typename Value>
class ImagePipelineTask : public AsyncTask<Value, ImagePipelineError> {
public:
    using Event = typename AsyncTask<Value, ImagePipelineError>::Event;
    using ValueEvent = typename AsyncTask<Value, ImagePipelineError>::ValueEvent;

    ImagePipelineTask(ImagePipeline& pipeline, ImageRequest request)
        : pipeline_(pipeline), request_(std::move(request)) { }

    const ImageRequest& request() const { return request_; }

protected:
    template <typename Self>
    std::weak_ptr<Self> weakSelf(Self* self)
    {
        return std::static_pointer_cast<Self>(self->shared_from_this());
    }

    // Runs `work` on `queue` as this stage's operation (it follows the
    // stage's priority and is cancelled with it), then hands the result to
    // `done` back on the pipeline's queue. `work` runs on a pool thread and
    // must not touch the stage; `done` must hold the stage weakly.
    template <typename Work, typename Done>
    void runOperation(OperationQueue& queue, Work work, Done done)
    {
        auto operation = std::make_shared<Operation>(
            [pipelineQueue = pipeline_.closableQueue_, work = std::move(work), done = std::move(done)](
                Operation::Finish finish) {
                auto result = work();
                finish();
                pipelineQueue->async([done, result = std::move(result)] { done(result); });
            });
        operation->setQueuePriority(queuePriority(this->priority()));
        this->operation = operation;
        queue.addOperation(operation);
    }

    ImagePipeline& pipeline_;
    const ImageRequest request_;
};

} // namespace parley
