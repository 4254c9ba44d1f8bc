#pragma once

#include <QFuture>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace parley::test {

// Runs the event loop until the future finishes (generous time-out).
template <typename T>
bool waitFor(const QFuture<T>& future, int timeoutMs = 20000)
{
    return QTest::qWaitFor([&] { return future.isFinished(); }, timeoutMs);
}

// The future's result; fails the test if it does not finish or fails.
template <typename T>
T await(QFuture<T> future)
{
    if (!waitFor(future))
        throw std::runtime_error("future did not finish");
    return future.result();
}

// The error of type E the future fails with; nullopt (and a test failure) if
// it succeeds or fails otherwise.
template <typename E, typename T>
std::optional<E> awaitError(QFuture<T> future)
{
    if (!waitFor(future)) {
        ADD_FAILURE() << "future did not finish";
        return std::nullopt;
    }
    try {
        future.waitForFinished();
    } catch (const E& error) {
        return error;
    } catch (const std::exception& other) {
        ADD_FAILURE() << "failed with another error: " << other.what();
        return std::nullopt;
    }
    ADD_FAILURE() << "future succeeded";
    return std::nullopt;
}

} // namespace parley::test
