#include "images/pipeline/TaskFetchWithPublisher.h"

namespace parley {

void TaskFetchWithPublisher::start()
{
    if (request_.options().testFlag(ImageRequest::Option::bypassDataLoadingQueue)) {
        load({});
        return;
    }
    auto operation = std::make_shared<Operation>(
        [queue = pipeline_.closableQueue_, weak = weakSelf(this)](Operation::Finish finish) {
            queue->async([weak, finish] {
                const auto self = weak.lock();
                if (!self || self->isDisposed())
                    finish();
                else
                    self->load(finish);
            });
        });
    operation->setQueuePriority(queuePriority(priority()));
    this->operation = operation;
    pipeline_.dataLoadingQueue_->addOperation(operation);
}

void TaskFetchWithPublisher::load(const Operation::Finish& finish)
{
    const DataPublisher publisher = std::get<DataPublisher>(request_.resource());
    const auto queue = pipeline_.closableQueue_;
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

void TaskFetchWithPublisher::didFinish(const std::exception_ptr& error)
{
    if (error)
        send(ImagePipelineError::dataLoadingFailed(error));
    else if (data_.isEmpty())
        send(ImagePipelineError::dataIsEmpty());
    else
        send(LoadedData { data_, std::nullopt }, true);
}

} // namespace parley
