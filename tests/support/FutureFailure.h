#pragma once

#include "platform/Error.h"

#include <QFuture>

namespace parley::test {

// The description of the error a finished future failed with; empty when it
// succeeded.
template <typename T>
QString failureOf(QFuture<T> future)
{
    try {
        future.waitForFinished();
    } catch (...) {
        return describe(std::current_exception());
    }
    return {};
}

} // namespace parley::test
