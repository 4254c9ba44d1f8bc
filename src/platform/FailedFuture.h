#pragma once

#include <QFuture>

#include <concepts>
#include <exception>

namespace parley {

// A future that has already failed: what an operation returns when it cannot
// even start. The one way to make one, so every such future fails the same
// way (finished, with the error as its exception).
template <typename T = void>
QFuture<T> failedFuture(std::exception_ptr error)
{
    return QtFuture::makeExceptionalFuture<T>(std::move(error));
}

template <typename T = void, typename E>
    requires std::derived_from<E, std::exception>
QFuture<T> failedFuture(E error)
{
    return failedFuture<T>(std::make_exception_ptr(std::move(error)));
}

} // namespace parley
