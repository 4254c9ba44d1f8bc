#pragma once

#include "images/engine/internal/StagePriority.h"

#include <memory>

namespace parley {

class StageBase;

// One subscriber's hold on a stage task. Use only on the pipeline's queue.
class StageSubscription {
public:
    StageSubscription(std::shared_ptr<StageBase> task, int key) : task_(std::move(task)), key_(key) { }

    // Raises or lowers this subscriber's priority; the task follows its most
    // important subscriber.
    void setPriority(StagePriority priority) const;
    // Leaves the task; the last subscriber to leave cancels it.
    void unsubscribe() const;

    const std::shared_ptr<StageBase>& task() const { return task_; }
    int key() const { return key_; }

private:
    std::shared_ptr<StageBase> task_;
    int key_;
};

} // namespace parley
