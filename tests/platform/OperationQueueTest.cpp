#include "platform/OperationQueue.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

using parley::OperationQueue;
using parley::QueueOperation;

namespace {

// An operation that records its start and stays executing until finish().
class HeldOperation : public QueueOperation {
public:
    explicit HeldOperation(int id, std::function<void(int)> started = {}) : id_(id), started_(std::move(started)) { }

    void finish() { didFinish(); }
    bool hasStarted() const { return hasStarted_; }
    bool hasWorked() const { return hasWorked_; }

protected:
    void start() override
    {
        hasStarted_ = true;
        if (isCancelled()) {
            didFinish();
            return;
        }
        hasWorked_ = true;
        if (started_)
            started_(id_);
    }

private:
    int id_;
    std::function<void(int)> started_;
    std::atomic<bool> hasStarted_ = false;
    std::atomic<bool> hasWorked_ = false;
};

struct StartLog {
    std::mutex mutex;
    std::vector<int> ids;

    void add(int id)
    {
        std::lock_guard lock(mutex);
        ids.push_back(id);
    }
    std::vector<int> snapshot()
    {
        std::lock_guard lock(mutex);
        return ids;
    }
};

} // namespace

TEST(OperationQueue, HoldsASlotUntilTheOperationCallsFinish)
{
    OperationQueue queue(QStringLiteral("test.ops"), 2);
    StartLog log;
    std::vector<std::shared_ptr<HeldOperation>> operations;
    for (int i = 0; i < 3; ++i) {
        operations.push_back(std::make_shared<HeldOperation>(i, [&](int id) { log.add(id); }));
        queue.addOperation(operations.back());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.snapshot().size() == 2; }, 5000));
    // Both start() calls have returned, yet the third operation keeps waiting.
    EXPECT_EQ(log.snapshot().size(), 2u);
    EXPECT_EQ(queue.executingCount(), 2);
    EXPECT_EQ(queue.waitingCount(), 1);

    operations[0]->finish();
    operations[0]->finish(); // a second finish must not free another slot
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.snapshot().size() == 3; }, 5000));
    EXPECT_EQ(queue.executingCount(), 2);
    operations[1]->finish();
    operations[2]->finish();
    EXPECT_TRUE(QTest::qWaitFor([&] { return queue.executingCount() == 0; }, 5000));
}

TEST(OperationQueue, StartsWaitingOperationsByPriorityIncludingChangesWhileWaiting)
{
    OperationQueue queue(QStringLiteral("test.ops"), 1);
    StartLog log;
    auto blocker = std::make_shared<HeldOperation>(0, [&](int id) { log.add(id); });
    queue.addOperation(blocker);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.snapshot().size() == 1; }, 5000));

    std::vector<std::shared_ptr<HeldOperation>> waiting;
    const int priorities[] = { 0, -4, 4, 0, -8 };
    for (int i = 0; i < 5; ++i) {
        waiting.push_back(std::make_shared<HeldOperation>(i + 1, [&](int id) { log.add(id); }));
        waiting.back()->setQueuePriority(priorities[i]);
        queue.addOperation(waiting.back());
    }
    waiting[4]->setQueuePriority(100); // clamped to 8, and now the most urgent
    EXPECT_EQ(waiting[4]->queuePriority(), 8);

    blocker->finish();
    for (size_t started = 2; started <= 6; ++started) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.snapshot().size() == started; }, 5000));
        waiting[size_t(log.snapshot().back() - 1)]->finish();
    }
    EXPECT_EQ(log.snapshot(), (std::vector<int> { 0, 5, 3, 1, 4, 2 }));
}

TEST(OperationQueue, CancelledWaitingOperationFinishesWithoutWorkingOrTakingASlot)
{
    OperationQueue queue(QStringLiteral("test.ops"), 1);
    StartLog log;
    auto blocker = std::make_shared<HeldOperation>(0, [&](int id) { log.add(id); });
    auto cancelled = std::make_shared<HeldOperation>(1, [&](int id) { log.add(id); });
    auto next = std::make_shared<HeldOperation>(2, [&](int id) { log.add(id); });
    queue.addOperation(blocker);
    queue.addOperation(cancelled);
    queue.addOperation(next);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.snapshot().size() == 1; }, 5000));

    cancelled->cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled->hasStarted(); }, 5000));
    EXPECT_FALSE(cancelled->hasWorked());
    EXPECT_EQ(queue.waitingCount(), 1);
    EXPECT_EQ(queue.executingCount(), 1);

    blocker->finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.snapshot().size() == 2; }, 5000));
    EXPECT_EQ(log.snapshot(), (std::vector<int> { 0, 2 }));
    next->finish();
}

TEST(OperationQueue, OperationsFinishingAfterTheQueueIsGoneAreHarmless)
{
    auto operation = std::make_shared<HeldOperation>(0);
    {
        OperationQueue queue(QStringLiteral("test.ops"), 1);
        queue.addOperation(operation);
        ASSERT_TRUE(QTest::qWaitFor([&] { return operation->hasStarted(); }, 5000));
        queue.addOperation(std::make_shared<HeldOperation>(1));
    }
    operation->finish();
    operation->cancel();
}
