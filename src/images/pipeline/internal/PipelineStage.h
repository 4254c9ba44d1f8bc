#pragma once

#include "images/engine/internal/AsyncOperation.h"
#include "images/engine/internal/Stage.h"
#include "images/pipeline/ImagePipelineError.h"
#include "images/pipeline/ImageTask.h"
#include "images/pipeline/internal/PipelineStages.h"

namespace parley {

// A stage of a pipeline's work for one request. Runs on the pipeline's queue;
// work it hands to other threads comes back through the pipeline's closable
// queue and finds the stage only if it still exists.
template <typename Value>
class PipelineStage : public Stage<Value, ImagePipelineError> {
public:
    using Event = typename Stage<Value, ImagePipelineError>::Event;
    using ValueEvent = typename Stage<Value, ImagePipelineError>::ValueEvent;

    PipelineStage(PipelineStages& stages, ImageRequest request) : stages_(stages), request_(std::move(request)) { }

    const ImageRequest& request() const { return request_; }

protected:
    ImagePipeline& pipeline() const { return stages_.pipeline(); }

    // The image tasks waiting for this stage, directly or through the stages
    // subscribed to it.
    std::vector<std::shared_ptr<ImageTask>> imageTasks() const { return this->template subscribersOfType<ImageTask>(); }

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
        enqueue(queue,
            [pipelineQueue = stages_.pipelineQueue(), work = std::move(work), done = std::move(done)](
                AsyncOperation::Finish finish) {
                auto result = work();
                finish();
                pipelineQueue->async([done, result = std::move(result)] { done(result); });
            });
    }

    // Calls `load` on the pipeline's queue once the data-loading queue gives
    // this stage a slot; the slot is held until `load` calls its finish. A
    // stage gone or disposed by then gives the slot straight back.
    template <typename Self>
    void runInLoadingSlot(Self* self, void (Self::*load)(const AsyncOperation::Finish&))
    {
        if (request_.options().testFlag(ImageRequest::Option::bypassDataLoadingQueue)) {
            (self->*load)({});
            return;
        }
        enqueue(stages_.dataLoadingQueue(),
            [queue = stages_.pipelineQueue(), weak = weakSelf(self), load](AsyncOperation::Finish finish) {
                queue->async([weak, finish, load] {
                    const auto self = weak.lock();
                    if (!self || self->isDisposed())
                        finish();
                    else
                        (self.get()->*load)(finish);
                });
            });
    }

    // Subscribes to `upstream` with this stage's priority: its values go to
    // `onValue`, its progress and its error are passed on as this stage's.
    template <typename Self, typename UpstreamValue, typename OnValue>
    void subscribeTo(
        Self* self, const std::shared_ptr<Stage<UpstreamValue, ImagePipelineError>>& upstream, OnValue onValue)
    {
        using UpstreamEvent = typename Stage<UpstreamValue, ImagePipelineError>::Event;
        this->dependency = upstream->subscribe(this->priority(), self->shared_from_this(),
            [weak = weakSelf(self), onValue = std::move(onValue)](const UpstreamEvent& event) {
                const auto self = weak.lock();
                if (!self)
                    return;
                if (const auto* value = std::get_if<0>(&event))
                    onValue(*self, value->value, value->isCompleted);
                else if (const auto* progress = std::get_if<ImageTask::Progress>(&event))
                    self->send(*progress);
                else
                    self->send(std::get<ImagePipelineError>(event));
            });
    }

    PipelineStages& stages_;
    const ImageRequest request_;

private:
    void enqueue(OperationQueue& queue, AsyncOperation::Starter starter)
    {
        auto operation = std::make_shared<AsyncOperation>(std::move(starter));
        operation->setQueuePriority(queuePriority(this->priority()));
        this->operation = operation;
        queue.addOperation(operation);
    }
};

} // namespace parley
