#include "images/cache/Cache.h"

#include <gtest/gtest.h>

using parley::Cache;
using parley::MemoryPressureSource;
using TestCache = Cache<QString, int>;

namespace {

TestCache::Configuration limits(qint64 cost, qint64 count = std::numeric_limits<qint64>::max())
{
    TestCache::Configuration conf;
    conf.costLimit = cost;
    conf.countLimit = count;
    return conf;
}

} // namespace

TEST(Cache, EntryCeilingRejectsEntriesAtTheFractionOfTheCostLimit)
{
    TestCache cache(limits(100));
    cache.set(QStringLiteral("big"), 1, 10);
    cache.set(QStringLiteral("fits"), 2, 9);
    EXPECT_FALSE(cache.value(QStringLiteral("big")));
    EXPECT_EQ(cache.value(QStringLiteral("fits")), 2);
    EXPECT_EQ(cache.totalCost(), 9);

    // A rejected replacement still retires the entry it was meant to replace:
    // that value is out of date.
    cache.set(QStringLiteral("fits"), 3, 50);
    EXPECT_FALSE(cache.value(QStringLiteral("fits")));
    EXPECT_EQ(cache.totalCost(), 0);
    EXPECT_EQ(cache.totalCount(), 0);
}

TEST(Cache, EvictsLeastRecentlyUsedByCostAndByCount)
{
    auto conf = limits(30);
    conf.entryCostLimit = 1;
    TestCache cache(conf);
    cache.set(QStringLiteral("a"), 1, 10);
    cache.set(QStringLiteral("b"), 2, 10);
    cache.set(QStringLiteral("c"), 3, 10);
    ASSERT_TRUE(cache.value(QStringLiteral("a")));
    cache.set(QStringLiteral("d"), 4, 10);
    EXPECT_FALSE(cache.value(QStringLiteral("b")));
    EXPECT_TRUE(cache.value(QStringLiteral("a")));
    EXPECT_EQ(cache.totalCost(), 30);

    conf.countLimit = 2;
    cache.setConfiguration(conf); // trims at once: c was used least recently
    EXPECT_EQ(cache.totalCount(), 2);
    EXPECT_FALSE(cache.value(QStringLiteral("c")));
    EXPECT_TRUE(cache.value(QStringLiteral("d")));

    cache.trim(10);
    EXPECT_EQ(cache.totalCount(), 1);
    EXPECT_TRUE(cache.value(QStringLiteral("d")));
}

TEST(Cache, ReplacingAnEntryCountsOnlyTheNewCost)
{
    TestCache cache(limits(1000));
    cache.set(QStringLiteral("a"), 1, 50);
    cache.set(QStringLiteral("a"), 2, 20);
    EXPECT_EQ(cache.totalCost(), 20);
    EXPECT_EQ(cache.totalCount(), 1);
    EXPECT_EQ(cache.removeValue(QStringLiteral("a")), 2);
    EXPECT_EQ(cache.totalCost(), 0);
    EXPECT_FALSE(cache.removeValue(QStringLiteral("a")));
}

TEST(Cache, ExpiredEntriesAreGoneOnTheNextRead)
{
    auto conf = limits(1000);
    conf.ttl = TestCache::Seconds(3600);
    TestCache cache(conf);
    cache.set(QStringLiteral("now"), 1, 5, TestCache::Seconds(0));
    cache.set(QStringLiteral("later"), 2, 5);
    EXPECT_FALSE(cache.value(QStringLiteral("now")));
    EXPECT_EQ(cache.totalCost(), 5);
    EXPECT_EQ(cache.value(QStringLiteral("later")), 2);
}

TEST(Cache, MemoryPressureEmptiesTheCacheAndStopsWithIt)
{
    MemoryPressureSource source;
    {
        TestCache cache(limits(1000), &source);
        cache.set(QStringLiteral("a"), 1, 5);
        cache.set(QStringLiteral("b"), 2, 5);
        source.simulate(MemoryPressureSource::Level::Warning);
        EXPECT_EQ(cache.totalCost(), 0);
        EXPECT_EQ(cache.totalCount(), 0);
        cache.set(QStringLiteral("c"), 3, 5);
        source.simulate(MemoryPressureSource::Level::Critical);
        EXPECT_FALSE(cache.value(QStringLiteral("c")));
    }
    source.simulate(MemoryPressureSource::Level::Warning); // the cache is gone: nothing happens
}
