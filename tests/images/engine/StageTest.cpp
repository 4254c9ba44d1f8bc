#include "images/engine/internal/AsyncOperation.h"
#include "images/engine/internal/StagePool.h"
#include "images/pipeline/ImageTask.h"
#include "platform/OperationQueue.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace parley;

namespace {

// A stage whose work is driven by the test; it may subscribe to an upstream
// stage like the pipeline's stages do.
class StageTask : public Stage<int, QString> {
public:
    std::function<void(StageTask&)> onStart;
    int starts = 0;

protected:
    void start() override
    {
        ++starts;
        if (onStart)
            onStart(*this);
    }
};

using Pool = StagePool<QString, int, QString>;
using Events = std::vector<StageTask::Event>;

std::shared_ptr<StageTask> makeStage()
{
    return std::make_shared<StageTask>();
}

StageTask::Handler record(Events& events)
{
    return [&events](const StageTask::Event& event) { events.push_back(event); };
}

} // namespace

TEST(Stage, PriorityFollowsTheMostImportantSubscriberUpstreamAndToItsOperation)
{
    auto upstream = makeStage();
    auto operation = std::make_shared<AsyncOperation>([](AsyncOperation::Finish) {});
    upstream->operation = operation;
    auto task = makeStage();
    task->onStart = [&](StageTask& self) {
        self.dependency = upstream->subscribe(self.priority(), [](const StageTask::Event&) {});
    };

    auto low = task->subscribe(StagePriority::low, [](const StageTask::Event&) {});
    auto high = task->subscribe(StagePriority::high, [](const StageTask::Event&) {});
    EXPECT_EQ(task->priority(), StagePriority::high);
    EXPECT_EQ(upstream->priority(), StagePriority::high);
    EXPECT_EQ(operation->queuePriority(), 4);

    low->setPriority(StagePriority::veryHigh);
    EXPECT_EQ(upstream->priority(), StagePriority::veryHigh);
    EXPECT_EQ(operation->queuePriority(), 8);

    low->unsubscribe(); // drops back to the highest remaining waiter
    EXPECT_EQ(task->priority(), StagePriority::high);
    EXPECT_EQ(upstream->priority(), StagePriority::high);
    EXPECT_EQ(operation->queuePriority(), 4);

    high->setPriority(StagePriority::veryLow);
    EXPECT_EQ(upstream->priority(), StagePriority::veryLow);
    EXPECT_EQ(operation->queuePriority(), -8);
}

TEST(Stage, LastSubscriberLeavingCancelsTheTaskItsUpstreamAndItsOperation)
{
    Pool pool(true), upstreamPool(true);
    auto operation = std::make_shared<AsyncOperation>([](AsyncOperation::Finish) {});
    bool upstreamCancelled = false, cancelled = false;
    auto task = std::static_pointer_cast<StageTask>(pool.task(QStringLiteral("k"), [&] {
        auto stage = makeStage();
        stage->onStart = [&](StageTask& self) {
            auto upstream = upstreamPool.task(QStringLiteral("k"), [&] {
                auto up = makeStage();
                up->onCancelled = [&] { upstreamCancelled = true; };
                return up;
            });
            self.dependency = upstream->subscribe(self.priority(), [](const StageTask::Event&) {});
            self.operation = operation;
        };
        stage->onCancelled = [&] { cancelled = true; };
        return stage;
    }));
    auto first = task->subscribe(StagePriority::low, [](const StageTask::Event&) {});
    auto second = task->subscribe(StagePriority::high, [](const StageTask::Event&) {});
    EXPECT_EQ(task->starts, 1);

    first->unsubscribe();
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(task->priority(), StagePriority::high);
    second->unsubscribe();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(upstreamCancelled);
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_TRUE(task->isDisposed());
    EXPECT_EQ(pool.count(), 0);
    EXPECT_EQ(upstreamPool.count(), 0);

    // A disposed task is never handed out again.
    auto fresh = pool.task(QStringLiteral("k"), makeStage);
    EXPECT_NE(fresh, task);
    EXPECT_FALSE(task->subscribe(StagePriority::normal, [](const StageTask::Event&) {}));
}

TEST(Stage, FinalEventDisposesBeforeDeliveryAndReachesEverySubscriberOnce)
{
    Pool pool(true);
    auto task = pool.task(QStringLiteral("k"), makeStage);
    Events a, b;
    bool cancelled = false;
    task->onCancelled = [&] { cancelled = true; };
    auto first = task->subscribe(StagePriority::normal, record(a));
    auto second = task->subscribe(StagePriority::normal, [&](const StageTask::Event& event) {
        b.push_back(event);
        // The pool already forgot the finished task when subscribers hear of it.
        if (std::holds_alternative<StageTask::ValueEvent>(event) &&
            std::get<StageTask::ValueEvent>(event).isCompleted) {
            EXPECT_EQ(pool.count(), 0);
        }
    });
    EXPECT_EQ(pool.task(QStringLiteral("k"), makeStage), task);

    task->send(ImageTask::Progress { 5, 10 });
    task->send(1, false);
    task->send(2, true);
    task->send(3, true);
    task->send(QStringLiteral("late error"));
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(std::get<StageTask::ValueEvent>(a[2]).value, 2);
    EXPECT_FALSE(cancelled);
    EXPECT_FALSE(task->subscribe(StagePriority::normal, record(a)));
    first->unsubscribe(); // leaving a finished task cancels nothing
    second->unsubscribe();
    EXPECT_FALSE(cancelled);
}

TEST(Stage, SubscriberLeavingDuringDeliveryHearsNothingMore)
{
    auto task = makeStage();
    Events later;
    std::optional<StageSubscription> second;
    auto first = task->subscribe(StagePriority::normal, [&](const StageTask::Event&) { second->unsubscribe(); });
    second = task->subscribe(StagePriority::normal, record(later));
    task->send(1, false);
    EXPECT_TRUE(later.empty());
    EXPECT_FALSE(task->isDisposed());
}

TEST(Stage, KnowsWhetherASubscriberOfAGivenTypeIsAlive)
{
    auto task = makeStage();
    auto imageTask = std::make_shared<ImageTask>(1, ImageRequest(), std::weak_ptr<ImagePipeline>(), nullptr, false);
    auto other = makeStage();
    auto s1 = task->subscribe(StagePriority::normal, other, [](const StageTask::Event&) {});
    EXPECT_FALSE(task->hasSubscriberOfType<ImageTask>());
    auto s2 = task->subscribe(StagePriority::normal, imageTask, [](const StageTask::Event&) {});
    EXPECT_TRUE(task->hasSubscriberOfType<ImageTask>());
    imageTask.reset();
    EXPECT_FALSE(task->hasSubscriberOfType<ImageTask>());
}

TEST(Stage, FindsLiveSubscribersOfATypeThroughTheStagesSubscribedToIt)
{
    auto task = makeStage();
    auto downstream = makeStage();
    auto direct = std::make_shared<ImageTask>(1, ImageRequest(), std::weak_ptr<ImagePipeline>(), nullptr, false);
    auto indirect = std::make_shared<ImageTask>(2, ImageRequest(), std::weak_ptr<ImagePipeline>(), nullptr, false);
    auto gone = std::make_shared<ImageTask>(3, ImageRequest(), std::weak_ptr<ImagePipeline>(), nullptr, false);
    auto s1 = task->subscribe(StagePriority::normal, direct, [](const StageTask::Event&) {});
    auto s2 = task->subscribe(StagePriority::normal, downstream, [](const StageTask::Event&) {});
    auto s3 = downstream->subscribe(StagePriority::normal, indirect, [](const StageTask::Event&) {});
    auto s4 = downstream->subscribe(StagePriority::normal, gone, [](const StageTask::Event&) {});
    gone.reset();

    std::vector<qint64> ids;
    for (const auto& found : task->subscribersOfType<ImageTask>())
        ids.push_back(found->taskId());
    EXPECT_EQ(ids, (std::vector<qint64> { 1, 2 }));
    EXPECT_EQ(task->subscribersOfType<StageTask>(), std::vector { downstream });
}

TEST(StagePool, WithoutCoalescingEveryRequestGetsItsOwnTask)
{
    Pool pool(false);
    EXPECT_NE(pool.task(QStringLiteral("k"), makeStage), pool.task(QStringLiteral("k"), makeStage));
    Pool coalescing(true);
    EXPECT_EQ(coalescing.task(QStringLiteral("k"), makeStage), coalescing.task(QStringLiteral("k"), makeStage));
}

TEST(AsyncOperation, CancelledWhileQueuedFinishesWithoutRunningItsStarter)
{
    OperationQueue queue(QStringLiteral("test.operation"), 1);
    AsyncOperation::Finish finishBlocker;
    std::atomic<bool> blockerStarted = false, cancelledRan = false, nextRan = false;
    auto blocker = std::make_shared<AsyncOperation>([&](AsyncOperation::Finish finish) {
        finishBlocker = std::move(finish);
        blockerStarted = true;
    });
    auto cancelled = std::make_shared<AsyncOperation>([&](AsyncOperation::Finish finish) {
        cancelledRan = true;
        finish();
    });
    auto next = std::make_shared<AsyncOperation>([&](AsyncOperation::Finish finish) {
        nextRan = true;
        finish();
        finish();
    });
    queue.addOperation(blocker);
    queue.addOperation(cancelled);
    queue.addOperation(next);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blockerStarted.load(); }, 5000));
    EXPECT_TRUE(blocker->isExecuting());

    cancelled->cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled->isFinished(); }, 5000));
    EXPECT_FALSE(cancelledRan);
    EXPECT_FALSE(nextRan);

    finishBlocker();
    finishBlocker();
    EXPECT_TRUE(blocker->isFinished());
    ASSERT_TRUE(QTest::qWaitFor([&] { return next->isFinished(); }, 5000));
    EXPECT_TRUE(nextRan);
    EXPECT_TRUE(QTest::qWaitFor([&] { return queue.executingCount() == 0; }, 5000));
    EXPECT_EQ(queue.waitingCount(), 0);
}

TEST(AsyncOperation, KeptAliveByItsQueueUntilItFinishes)
{
    OperationQueue queue(QStringLiteral("test.operation"), 1);
    AsyncOperation::Finish finish;
    std::atomic<bool> started = false, secondRan = false;
    queue.addOperation(std::make_shared<AsyncOperation>([&](AsyncOperation::Finish f) {
        finish = std::move(f);
        started = true;
    }));
    queue.addOperation(std::make_shared<AsyncOperation>([&](AsyncOperation::Finish f) {
        secondRan = true;
        f();
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
    finish(); // the caller kept no reference: the queue must have
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondRan.load(); }, 5000));
}
