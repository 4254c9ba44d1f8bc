#include "images/cache/DataCache.h"
#include "images/cache/ImageCache.h"
#include "images/loading/DataLoader.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

using namespace parley;

namespace {

constexpr int sessionEmotes = 100;

std::vector<QUrl> emoteURLs(sim::TwitchSimulator& simulator, const QString& prefix)
{
    std::vector<QUrl> urls;
    for (int i = 0; i < sessionEmotes; ++i) {
        const QString id = prefix + QString::number(i);
        simulator.model().addEmote(
            sim::SimEmote { id, id, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("globals"), {}, false });
        urls.push_back(
            simulator.emoteImageURL(id, QStringLiteral("static"), QStringLiteral("light"), QStringLiteral("2.0")));
    }
    return urls;
}

// A launch: the data cache opened from its directory, a pipeline with an
// empty memory cache and no HTTP cache over it.
std::shared_ptr<ImagePipeline> launch(const QString& directory)
{
    auto configuration = ImagePipeline::Configuration::withDataCache(DataCache::create(directory));
    configuration.customImageCache = std::make_shared<ImageCache>(ImageCache::Configuration {}, nullptr);
    configuration.isCustomImageCacheProvided = true;
    return ImagePipeline::create(configuration);
}

// Starts a session's emote loads at once; milliseconds to the last image.
double startSession(ImagePipeline& pipeline, const std::vector<QUrl>& urls, int* failures)
{
    int completed = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QUrl& url : urls)
        pipeline.loadImage(url, [&](const ImageResult& result) {
            *failures += result.isSuccess() ? 0 : 1;
            ++completed;
        });
    while (completed < int(urls.size()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return double(clock.nsecsElapsed()) / 1e6;
}

void report(benchmark::State& state, double lastImageMs, int requests, int failures, int runs)
{
    state.counters["last_image_ms"] = lastImageMs / runs;
    state.counters["network_requests_per_session"] = double(requests) / runs;
    state.counters["failures"] = failures;
}

// A first launch: every emote comes from the simulator and lands on disk.
void BM_SessionStartColdDataCache(benchmark::State& state)
{
    sim::TwitchSimulator simulator;
    simulator.start();
    int runs = 0, requests = 0, failures = 0;
    double lastImageMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir directory;
        const auto urls = emoteURLs(simulator, QStringLiteral("cold%1_").arg(runs++));
        auto pipeline = launch(directory.path());
        const int before = simulator.totalRequestCount();
        state.ResumeTiming();
        lastImageMs += startSession(*pipeline, urls, &failures);
        requests += simulator.totalRequestCount() - before;
    }
    report(state, lastImageMs, requests, failures, runs);
}
BENCHMARK(BM_SessionStartColdDataCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A later launch: the warm data cache answers every emote, the network none.
void BM_SessionStartWarmDataCache(benchmark::State& state)
{
    sim::TwitchSimulator simulator;
    simulator.start();
    QTemporaryDir directory;
    const auto urls = emoteURLs(simulator, QStringLiteral("warm_"));
    int failures = 0;
    {
        auto first = launch(directory.path());
        startSession(*first, urls, &failures);
        // The last writes leave the pipeline's queues shortly after the completions.
        const auto cache = std::dynamic_pointer_cast<DataCache>(first->configuration().dataCache);
        while (!cache->containsData(urls.back().toString()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        cache->flush();
    }
    int runs = 0, requests = 0;
    double lastImageMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto pipeline = launch(directory.path());
        const int before = simulator.totalRequestCount();
        ++runs;
        state.ResumeTiming();
        lastImageMs += startSession(*pipeline, urls, &failures);
        requests += simulator.totalRequestCount() - before;
    }
    report(state, lastImageMs, requests, failures, runs);
}
BENCHMARK(BM_SessionStartWarmDataCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
