#include "images/engine/Operation.h"

#include <utility>

namespace parley {

bool Operation::isExecuting() const
{
    std::lock_guard lock(lock_);
    return isExecuting_;
}

bool Operation::isFinished() const
{
    std::lock_guard lock(lock_);
    return isFinished_;
}

void Operation::start()
{
    if (isCancelled()) {
        finish();
        return;
    }
    {
        std::lock_guard lock(lock_);
        isExecuting_ = true;
    }
    std::weak_ptr<Operation> weakSelf = shared_from_this();
    starter_([weakSelf] {
        if (auto self = weakSelf.lock())
            self->finish();
    });
}

void Operation::finish()
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
