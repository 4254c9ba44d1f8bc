#pragma once

#include <QObject>

#include <utility>

namespace parley {

// Subscribes to a published property: calls `handler` with the current value
// at once, then with every new value. The subscription ends when `context` or
// `source` is destroyed.
template <typename Source, typename Getter, typename Signal, typename Handler>
QMetaObject::Connection observe(Source* source, Getter getter, Signal changed, const QObject* context, Handler handler)
{
    handler((source->*getter)());
    return QObject::connect(source, changed, context,
        [source, getter, handler = std::move(handler)]() mutable { handler((source->*getter)()); });
}

} // namespace parley
