// The chat window against the simulator's generated chat, rendered offscreen
// through its QQuickWidget with Qt Quick's software scene graph: what one
// more message costs the main thread at 1,000 and at 100,000 rows, and the
// frame times with 10,000 rows while chat arrives at 200 messages a second.

#include "ChatWindowHarness.h"
#include "support/ThreadCPUTime.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQuickItem>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace parley;
using namespace parley::bench;
using parley::test::threadCPUSeconds;

namespace {

constexpr int batch = 500;

// Fills the list to state.range(0) rows, then measures the main thread's CPU
// time per message for further batches: chat client, list model, list view.
void BM_AppendAtRows(benchmark::State& state)
{
    DiagnosticsSilence quiet;
    SimulatorThread simulator;
    ChatWindowHarness window(simulator);
    const int fill = int(state.range(0));
    simulator.flood(simulator.framesForRows(fill));
    window.waitForAppended(fill);
    const QStringList frames = simulator.trafficFrames(batch);
    const int perBatch = rowsIn(frames);

    double cpu = 0;
    qint64 appended = 0;
    for (auto _ : state) {
        const qint64 before = window.appended();
        const double start = threadCPUSeconds();
        simulator.flood(frames);
        window.waitForAppended(before + perBatch);
        cpu += threadCPUSeconds() - start;
        appended += window.appended() - before;
    }
    if (!window.session().isListening())
        state.SkipWithError(("the chat ended: " + window.session().lastError()).toStdString().c_str());
    state.counters["rows_before"] = fill;
    QQuickItem* list = window.view().quickWidget()->rootObject()->findChild<QQuickItem*>(QStringLiteral("messageList"));
    const double end = list->property("originY").toDouble() + list->property("contentHeight").toDouble();
    state.counters["points_below_view"] = end - list->property("contentY").toDouble() - list->height();
    state.counters["cpu_us_per_message"] = cpu * 1e6 / double(appended);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, size_t(p * double(values.size()))));
}

// 10,000 rows, then live chat at 200 messages a second for five seconds: the
// time each frame takes (polish, sync and render on the main thread) and the
// time between frames.
void BM_FramesAt200MessagesPerSecond(benchmark::State& state)
{
    DiagnosticsSilence quiet;
    SimulatorThread simulator;
    ChatWindowHarness window(simulator);
    simulator.flood(simulator.framesForRows(10000));
    window.waitForAppended(10000);

    QQuickWindow* quick = window.view().quickWidget()->quickWindow();
    std::vector<double> frameMs;
    std::vector<double> intervalMs;
    QElapsedTimer clock;
    clock.start();
    double frameStart = 0;
    double lastEnd = -1;
    QObject::connect(quick, &QQuickWindow::afterAnimating, quick, [&] { frameStart = clock.nsecsElapsed() / 1e6; });
    QObject::connect(quick, &QQuickWindow::afterRendering, quick, [&] {
        const double end = clock.nsecsElapsed() / 1e6;
        frameMs.push_back(end - frameStart);
        if (lastEnd >= 0)
            intervalMs.push_back(end - lastEnd);
        lastEnd = end;
    });

    for (auto _ : state) {
        const qint64 before = window.appended();
        simulator.startTraffic(200);
        QElapsedTimer run;
        run.start();
        while (run.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        simulator.stopTraffic();
        state.counters["messages_per_s"] = double(window.appended() - before) / 5.0;
    }
    state.counters["frames"] = double(frameMs.size());
    state.counters["frame_ms_p50"] = percentile(frameMs, 0.50);
    state.counters["frame_ms_p99"] = percentile(frameMs, 0.99);
    state.counters["interval_ms_p50"] = percentile(intervalMs, 0.50);
    state.counters["interval_ms_p99"] = percentile(intervalMs, 0.99);
}

BENCHMARK(BM_AppendAtRows)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_FramesAt200MessagesPerSecond)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

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
