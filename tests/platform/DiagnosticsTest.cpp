#include "platform/Diagnostics.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using parley::Diagnostics;
using parley::DiagnosticsCapture;
using parley::DiagnosticsSilence;

TEST(Diagnostics, CaptureCollectsLinesAndRestoresThePreviousSink)
{
    QStringList outer;
    auto previous = Diagnostics::setSink([&](const QString& line) { outer.append(line); });
    {
        DiagnosticsCapture capture;
        Diagnostics::write(QStringLiteral("TwitchChat.msgReceived: a"));
        EXPECT_EQ(capture.lines(), QStringList { QStringLiteral("TwitchChat.msgReceived: a") });
        EXPECT_EQ(capture.takeLines().size(), 1);
        EXPECT_TRUE(capture.lines().isEmpty());
    }
    Diagnostics::write(QStringLiteral("after"));
    Diagnostics::setSink(std::move(previous));
    EXPECT_EQ(outer, QStringList { QStringLiteral("after") });
}

TEST(Diagnostics, SilenceDropsLinesAndWarningsAndRestoresThePreviousSink)
{
    DiagnosticsCapture capture;
    {
        DiagnosticsSilence silence;
        Diagnostics::write(QStringLiteral("TwitchChat.msgReceived: a"));
        Diagnostics::warn(QStringLiteral("parley: dropped"));
    }
    Diagnostics::warn(QStringLiteral("parley: kept"));
    EXPECT_EQ(capture.lines(), QStringList { QStringLiteral("parley: kept") });
}

TEST(Diagnostics, WritesFromManyThreadsAreAllKept)
{
    DiagnosticsCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 1000; ++i)
                Diagnostics::write(QStringLiteral("line"));
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(capture.lines().size(), 4000);
}
