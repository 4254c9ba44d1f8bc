#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <utility>

namespace parley {

// Calls `handler` with the finished future on `context`'s thread, or never
// when `context` is destroyed first. (Qt 6.4's QFuture::then(context, ...)
// asserts in debug builds when the context dies before the future finishes;
// a watcher owned by the context ends with it instead.)
template <typename T, typename Handler>
void whenFinished(QFuture<T> future, QObject* context, Handler handler)
{
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(
        watcher, &QFutureWatcherBase::finished, context, [watcher, handler = std::move(handler)]() mutable {
            watcher->deleteLater();
            handler(watcher->future());
        });
    watcher->setFuture(std::move(future));
}

} // namespace parley
