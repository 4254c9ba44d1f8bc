#pragma once

#include "platform/QueueOperation.h"

#include <QString>
#include <QThreadPool>

#include <memory>
#include <mutex>
#include <vector>

namespace parley {

// Runs QueueOperations on a thread pool, at most `maxConcurrentOperationCount`
// at a time. A slot is held from an operation's start until it finishes, not
// merely while start() runs. Waiting operations start by queue priority, then
// in the order they were added; a cancelled waiting operation is started at
// once, outside the width, so that it finishes without working.
// Every member may be called from any thread.
class OperationQueue {
public:
    OperationQueue(const QString& label, int maxConcurrentOperationCount);
    // Drops the operations still waiting and waits for start() calls in
    // progress to return.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    void addOperation(std::shared_ptr<QueueOperation> operation);

    int maxConcurrentOperationCount() const { return width_; }
    const QString& label() const { return label_; }
    // Operations started and not yet finished, within the width.
    int executingCount() const;
    int waitingCount() const;

private:
    struct State;

    QString label_;
    int width_;
    QThreadPool pool_;
    std::shared_ptr<State> state_;
};

} // namespace parley
