#include "platform/SerialQueue.h"

#include <QCoreApplication>
#include <QTimer>

namespace parley {

SerialQueue::SerialQueue(const QString& label)
    : label_(label), thread_(std::make_unique<QThread>()), context_(new QObject)
{
    thread_->setObjectName(label);
    context_->moveToThread(thread_.get());
    QObject::connect(thread_.get(), &QThread::finished, context_, &QObject::deleteLater);
    thread_->start();
}

SerialQueue::SerialQueue(QObject* context, QString label) : label_(std::move(label)), context_(context) { }

SerialQueue::~SerialQueue()
{
    if (!thread_)
        return;
    thread_->quit();
    thread_->wait();
}

SerialQueue& SerialQueue::main()
{
    // Created once and never destroyed: callbacks may still be posted while
    // static objects are torn down.
    static SerialQueue* queue = [] {
        auto* context = new QObject;
        if (auto* app = QCoreApplication::instance())
            context->moveToThread(app->thread());
        return new SerialQueue(context, QStringLiteral("main"));
    }();
    return *queue;
}

void SerialQueue::async(Work work)
{
    QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
}

void SerialQueue::asyncAfter(std::chrono::milliseconds delay, Work work)
{
    // The timer must be created on the queue's own thread, which has the event
    // loop that fires it.
    async([this, delay, work = std::move(work)]() mutable {
        QTimer::singleShot(delay, context_, std::move(work));
    });
}

void SerialQueue::sync(const Work& work)
{
    if (isCurrent())
        work();
    else
        QMetaObject::invokeMethod(context_, work, Qt::BlockingQueuedConnection);
}

bool SerialQueue::isCurrent() const
{
    return QThread::currentThread() == context_->thread();
}

} // namespace parley
