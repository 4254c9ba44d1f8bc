#include "images/pipeline/internal/FetchPublishedDataStage.h"

namespace parley {

void FetchPublishedDataStage::start()
{
    runInLoadingSlot(this, &FetchPublishedDataStage::load);
}

void FetchPublishedDataStage::load(const AsyncOperation::Finish& finish)
{
    const DataPublisher publisher = std::get<DataPublisher>(request_.resource());
    const auto queue = stages_.pipelineQueue();
    const auto weak = weakSelf(this);
    publisher.start(
        [queue, weak](const QByteArray& chunk) {
            queue->async([weak, chunk] {
                if (const auto self = weak.lock())
                    self->data_.append(chunk);
            });
        },
        [queue, weak, finish](std::exception_ptr error) {
            queue->async([weak, finish, error] {
                if (finish)
                    finish();
                if (const auto self = weak.lock())
                    self->didFinish(error);
            });
        });
}

void FetchPublishedDataStage::didFinish(const std::exception_ptr& error)
{
    if (error)
        send(ImagePipelineError::dataLoadingFailed(error));
    else if (data_.isEmpty())
        send(ImagePipelineError::dataIsEmpty());
    else
        send(LoadedData { data_, std::nullopt }, true);
}

} // namespace parley
