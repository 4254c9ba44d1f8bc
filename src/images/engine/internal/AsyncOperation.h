#pragma once

#include "platform/QueueOperation.h"

#include <functional>
#include <memory>
#include <mutex>

namespace parley {

// An operation whose work is asynchronous: `starter` receives a finish
// callback, and the operation holds its queue slot until that callback is
// called (once; later calls are ignored). An operation cancelled before it
// starts finishes without calling the starter. Start and finish may happen
// on any thread; the flags are guarded by the operation's lock.
class AsyncOperation : public QueueOperation, public std::enable_shared_from_this<AsyncOperation> {
public:
    using Finish = std::function<void()>;
    using Starter = std::function<void(Finish finish)>;

    explicit AsyncOperation(Starter starter) : starter_(std::move(starter)) { }

    bool isExecuting() const;
    bool isFinished() const;

protected:
    void start() override;

private:
    void finish();

    Starter starter_;
    mutable std::mutex lock_;
    bool isExecuting_ = false;
    bool isFinished_ = false;
    bool isFinishCalled_ = false;
};

} // namespace parley
