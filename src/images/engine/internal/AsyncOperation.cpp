#include "images/engine/internal/AsyncOperation.h"

#include <utility>

namespace parley {

bool AsyncOperation::isExecuting() const
{
    std::lock_guard lock(lock_);
    return isExecuting_;
}

bool AsyncOperation::isFinished() const
{
    std::lock_guard lock(lock_);
    return isFinished_;
}

void AsyncOperation::start()
{
    if (isCancelled()) {
        finish();
        return;
    }
    {
        std::lock_guard lock(lock_);
        isExecuting_ = true;
    }
    std::weak_ptr<AsyncOperation> weakSelf = shared_from_this();
    starter_([weakSelf] {
        if (auto self = weakSelf.lock())
            self->finish();
    });
}

void AsyncOperation::finish()
{
    {
        std::lock_guard lock(lock_);
        if (std::exchange(isFinishCalled_, true))
            return;
        isExecuting_ = false;
        isFinished_ = true;
    }
    didFinish();
}

} // namespace parley
