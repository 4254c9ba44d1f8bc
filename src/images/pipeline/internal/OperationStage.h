#pragma once

#include "images/pipeline/internal/PipelineStage.h"

#include <variant>

namespace parley {

// Runs one closure as an operation on one of the pipeline's queues and
// publishes what it returns; a thrown ImagePipelineError becomes the stage's
// error. Shared by everyone who wants the same result (image processing).
template <typename Value>
class OperationStage final : public PipelineStage<Value> {
public:
    using Process = std::function<Value()>;

    OperationStage(PipelineStages& stages, ImageRequest request, OperationQueue& queue, Process process)
        : PipelineStage<Value>(stages, std::move(request)), queue_(queue), process_(std::move(process))
    { }

private:
    using Result = std::variant<Value, ImagePipelineError>;

    void start() override
    {
        this->runOperation(
            queue_,
            [process = process_]() -> Result {
                try {
                    return process();
                } catch (const ImagePipelineError& error) {
                    return error;
                }
            },
            [weak = this->weakSelf(this)](const Result& result) {
                if (auto self = weak.lock())
                    self->publish(result);
            });
    }

    void publish(const Result& result)
    {
        if (const auto* value = std::get_if<Value>(&result))
            this->send(*value, true);
        else
            this->send(std::get<ImagePipelineError>(result));
    }

    OperationQueue& queue_;
    Process process_;
};

} // namespace parley
