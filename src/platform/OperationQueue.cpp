#include "platform/OperationQueue.h"

#include <algorithm>

namespace parley {

// Shared with the operations' callbacks, which may outlive the queue: they hold
// it weakly and touch the pool only under the mutex while the queue is open.
struct OperationQueue::State {
    struct Waiting {
        std::shared_ptr<QueueOperation> operation;
        quint64 order;
    };

    mutable std::mutex mutex;
    QThreadPool* pool;
    int width;
    std::vector<Waiting> waiting;
    // Started and not yet finished: the queue keeps them alive meanwhile.
    std::vector<std::shared_ptr<QueueOperation>> started;
    quint64 nextOrder = 0;
    int executing = 0;
    bool closed = false;

    State(QThreadPool* pool, int width) : pool(pool), width(width) { }

    static void startReady(const std::shared_ptr<State>& state)
    {
        std::lock_guard lock(state->mutex);
        while (!state->closed) {
            bool holdsSlot = false;
            auto operation = state->takeNext(holdsSlot);
            if (!operation)
                return;
            watchFinish(state, *operation, holdsSlot);
            state->started.push_back(operation);
            state->pool->start([operation] { operation->start(); });
        }
    }

    static void watchFinish(const std::shared_ptr<State>& state, QueueOperation& operation, bool holdsSlot)
    {
        std::weak_ptr<State> weakState = state;
        std::lock_guard lock(operation.mutex_);
        operation.onCancel_ = nullptr;
        operation.onFinish_ = [weakState, holdsSlot, finished = &operation] {
            auto state = weakState.lock();
            if (!state)
                return;
            std::shared_ptr<QueueOperation> keepAlive; // released outside the lock
            {
                std::lock_guard lock(state->mutex);
                auto found = std::find_if(state->started.begin(), state->started.end(),
                    [finished](const auto& o) { return o.get() == finished; });
                if (found != state->started.end()) {
                    keepAlive = std::move(*found);
                    state->started.erase(found);
                }
                if (holdsSlot)
                    --state->executing;
            }
            startReady(state);
        };
    }

    // Takes the next operation to start: any cancelled one first, otherwise the
    // highest priority while a slot is free. `holdsSlot` tells which.
    std::shared_ptr<QueueOperation> takeNext(bool& holdsSlot)
    {
        auto next = std::find_if(
            waiting.begin(), waiting.end(), [](const Waiting& w) { return w.operation->isCancelled(); });
        holdsSlot = next == waiting.end();
        if (holdsSlot) {
            if (executing >= width)
                return nullptr;
            next = std::max_element(waiting.begin(), waiting.end(), [](const Waiting& a, const Waiting& b) {
                const int pa = a.operation->queuePriority(), pb = b.operation->queuePriority();
                return pa != pb ? pa < pb : a.order > b.order;
            });
            if (next == waiting.end())
                return nullptr;
            ++executing;
        }
        auto operation = std::move(next->operation);
        waiting.erase(next);
        return operation;
    }
};

OperationQueue::OperationQueue(const QString& label, int maxConcurrentOperationCount)
    : label_(label), width_(std::max(1, maxConcurrentOperationCount)), state_(std::make_shared<State>(&pool_, width_))
{
    pool_.setMaxThreadCount(width_);
    pool_.setObjectName(label);
}

OperationQueue::~OperationQueue()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->closed = true;
        state_->waiting.clear();
    }
    pool_.waitForDone();
}

void OperationQueue::addOperation(std::shared_ptr<QueueOperation> operation)
{
    {
        std::weak_ptr<State> weakState = state_;
        std::lock_guard lock(operation->mutex_);
        operation->onCancel_ = [weakState] {
            if (auto state = weakState.lock())
                State::startReady(state);
        };
    }
    {
        std::lock_guard lock(state_->mutex);
        state_->waiting.push_back({ std::move(operation), state_->nextOrder++ });
    }
    State::startReady(state_);
}

int OperationQueue::executingCount() const
{
    std::lock_guard lock(state_->mutex);
    return state_->executing;
}

int OperationQueue::waitingCount() const
{
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->waiting.size());
}

} // namespace parley
