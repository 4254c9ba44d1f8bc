#include "platform/MemoryPressureSource.h"
#include "platform/PhysicalMemory.h"

#include <QSignalSpy>

#include <thread>

#include <gtest/gtest.h>

using parley::MemoryPressureSource;

TEST(MemoryPressureSource, SimulatedPressureIsReportedWithItsLevel)
{
    MemoryPressureSource source;
    QSignalSpy spy(&source, &MemoryPressureSource::pressure);
    source.simulate(MemoryPressureSource::Level::Critical);
    source.simulate(MemoryPressureSource::Level::Warning);
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy[0][0].value<MemoryPressureSource::Level>(), MemoryPressureSource::Level::Critical);
    EXPECT_EQ(spy[1][0].value<MemoryPressureSource::Level>(), MemoryPressureSource::Level::Warning);
}

TEST(MemoryPressureSource, ASourceMadeWhereNoEventLoopRunsOnlySimulates)
{
    std::thread([] {
        MemoryPressureSource source;
        EXPECT_FALSE(source.isWatchingKernel());
        QSignalSpy spy(&source, &MemoryPressureSource::pressure);
        source.simulate(MemoryPressureSource::Level::Warning);
        EXPECT_EQ(spy.size(), 1);
    }).join();
}

TEST(PhysicalMemory, ReportsAPlausibleSize)
{
    EXPECT_GT(parley::physicalMemorySize(), qint64(64) << 20);
}
