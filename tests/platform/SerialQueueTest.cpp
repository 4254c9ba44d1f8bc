#include "platform/SerialQueue.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

using parley::SerialQueue;

TEST(SerialQueue, RunsClosuresInOrderOnItsOwnThread)
{
    SerialQueue queue(QStringLiteral("test.serial"));
    EXPECT_FALSE(queue.isCurrent());
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<bool> allOnQueue = true;
    for (int i = 0; i < 100; ++i)
        queue.async([&, i] {
            allOnQueue = allOnQueue && queue.isCurrent();
            std::lock_guard lock(mutex);
            order.push_back(i);
        });
    queue.sync([] {});
    std::lock_guard lock(mutex);
    ASSERT_EQ(order.size(), 100u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_TRUE(allOnQueue);
}

TEST(SerialQueue, AsyncNeverRunsInsideTheCallAndSyncOnTheQueueDoesNotDeadlock)
{
    SerialQueue queue(QStringLiteral("test.serial"));
    bool ranInside = false;
    bool syncRan = false;
    queue.sync([&] {
        bool inner = false;
        queue.async([&] { inner = true; });
        ranInside = inner;
        queue.sync([&] { syncRan = true; });
    });
    EXPECT_FALSE(ranInside);
    EXPECT_TRUE(syncRan);
}

TEST(SerialQueue, AsyncAfterRunsLaterThanWorkPostedAfterIt)
{
    SerialQueue queue(QStringLiteral("test.serial"));
    std::mutex mutex;
    std::vector<QString> order;
    auto record = [&](const char* name) {
        std::lock_guard lock(mutex);
        order.push_back(QString::fromLatin1(name));
    };
    queue.asyncAfter(std::chrono::milliseconds(50), [&] { record("delayed"); });
    queue.async([&] { record("immediate"); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            std::lock_guard lock(mutex);
            return order.size() == 2;
        },
        5000));
    EXPECT_EQ(order, (std::vector<QString> { QStringLiteral("immediate"), QStringLiteral("delayed") }));
}

TEST(SerialQueue, MainQueueRunsOnTheApplicationThread)
{
    auto& main = SerialQueue::main();
    EXPECT_TRUE(main.isCurrent());
    SerialQueue other(QStringLiteral("test.serial"));
    std::atomic<bool> ran = false;
    other.async([&] { main.async([&] { ran = main.isCurrent(); }); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran.load(); }, 5000));
}
