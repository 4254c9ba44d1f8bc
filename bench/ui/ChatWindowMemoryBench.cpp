// Resident memory of a process showing the chat window (offscreen, software
// scene graph): with an empty chat, and after 100,000 messages have passed
// through it. Its own program, so nothing else has grown the process.

#include "ChatWindowHarness.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

using namespace parley;
using namespace parley::bench;

namespace {

void settle(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The simulator runs in this process (on its own thread); it sends the same
// 10,000 rows' worth of chat ten times over, so what it holds stays small.
void BM_ResidentMemory(benchmark::State& state)
{
    DiagnosticsSilence quiet;
    SimulatorThread simulator;
    const QStringList frames = simulator.framesForRows(10000);
    const int perFlood = rowsIn(frames);
    for (auto _ : state) {
        ChatWindowHarness window(simulator);
        settle(1000);
        state.counters["rss_mb_empty"] = residentMB();
        for (int pass = 1; pass <= 10; ++pass) {
            simulator.flood(frames);
            window.waitForAppended(qint64(pass) * perFlood);
        }
        settle(1000);
        state.counters["rss_mb_after_messages"] = residentMB();
        state.counters["messages"] = 10.0 * perFlood;
        state.counters["rows"] = window.rows();
    }
}

BENCHMARK(BM_ResidentMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
