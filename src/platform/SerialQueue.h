#pragma once

#include <QObject>
#include <QThread>

#include <chrono>
#include <functional>
#include <memory>

namespace parley {

// A serial queue: closures run one at a time, in the order they were posted, on
// one thread. A queue either owns a thread of its own or stands for the thread
// of an existing object (SerialQueue::main() is the main thread's queue).
// Every member may be called from any thread. Destroying a queue drops the
// closures it has not run; nothing may be posted to it afterwards, so work
// finishing on other threads must know whether its queue is still there.
class SerialQueue {
public:
    using Work = std::function<void()>;

    // A queue with its own thread, named `label` in debuggers.
    explicit SerialQueue(const QString& label);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // The queue of the thread the application object lives on.
    static SerialQueue& main();

    // Runs `work` on the queue later; never inside this call.
    void async(Work work);
    // Runs `work` on the queue once `delay` has passed.
    void asyncAfter(std::chrono::milliseconds delay, Work work);
    // Runs `work` on the queue and returns when it has run; runs it at once
    // when the caller is already on the queue.
    void sync(const Work& work);

    // Whether the calling thread is this queue's thread.
    bool isCurrent() const;

    const QString& label() const { return label_; }

private:
    explicit SerialQueue(QObject* context, QString label);

    QString label_;
    std::unique_ptr<QThread> thread_;
    QObject* context_;
};

} // namespace parley
