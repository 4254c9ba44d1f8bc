#include "images/cache/ImageCache.h"
#include "images/loading/DataLoader.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <vector>

using namespace parley;

namespace {

constexpr int distinctURLs = 100;
constexpr int loadsPerURL = 10;

// Emotes the simulator learns for one run, so every run starts with nothing
// cached anywhere.
std::vector<QUrl> freshEmoteURLs(sim::TwitchSimulator& simulator, const QString& prefix)
{
    std::vector<QUrl> urls;
    for (int i = 0; i < distinctURLs; ++i) {
        const QString id = prefix + QString::number(i);
        simulator.model().addEmote(
            sim::SimEmote { id, id, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("globals"), {}, false });
        urls.push_back(
            simulator.emoteImageURL(id, QStringLiteral("static"), QStringLiteral("light"), QStringLiteral("2.0")));
    }
    return urls;
}

// A pipeline of its own: a memory cache of its own and no disk HTTP cache.
std::shared_ptr<ImagePipeline> isolatedPipeline()
{
    ImagePipeline::Configuration configuration;
    configuration.dataLoader = std::make_shared<DataLoader>(URLCache {});
    configuration.customImageCache = std::make_shared<ImageCache>(ImageCache::Configuration {}, nullptr);
    configuration.isCustomImageCacheProvided = true;
    return ImagePipeline::create(configuration);
}

// Issues every load at once and runs the main loop until all completed;
// returns the milliseconds to the first completion.
double loadAll(ImagePipeline& pipeline, const std::vector<QUrl>& urls, int* failures)
{
    const int total = int(urls.size()) * loadsPerURL;
    int completed = 0;
    double firstMs = -1;
    QElapsedTimer clock;
    clock.start();
    for (const QUrl& url : urls)
        for (int i = 0; i < loadsPerURL; ++i)
            pipeline.loadImage(url, [&](const ImageResult& result) {
                if (firstMs < 0)
                    firstMs = double(clock.nsecsElapsed()) / 1e6;
                if (!result.isSuccess())
                    ++*failures;
                ++completed;
            });
    while (completed < total)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return firstMs;
}

// 1,000 loads of 100 distinct emote addresses issued at once, from the
// network through coalescing, the rate limiter and decoding.
void BM_ColdEmoteLoads(benchmark::State& state)
{
    sim::TwitchSimulator simulator;
    simulator.start();
    int run = 0;
    double firstTotal = 0;
    int requests = 0, failures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto urls = freshEmoteURLs(simulator, QStringLiteral("bench%1_").arg(run++));
        auto pipeline = isolatedPipeline();
        const int before = simulator.totalRequestCount();
        state.ResumeTiming();
        firstTotal += loadAll(*pipeline, urls, &failures);
        requests += simulator.totalRequestCount() - before;
    }
    state.counters["network_requests_per_run"] = double(requests) / double(run);
    state.counters["first_image_ms"] = firstTotal / double(run);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_ColdEmoteLoads)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Memory-cache hits through the whole load path, delivery on the main thread included.
void BM_MemoryCacheHits(benchmark::State& state)
{
    sim::TwitchSimulator simulator;
    simulator.start();
    const auto urls = freshEmoteURLs(simulator, QStringLiteral("warm_"));
    auto pipeline = isolatedPipeline();
    int failures = 0;
    loadAll(*pipeline, urls, &failures);
    for (auto _ : state)
        loadAll(*pipeline, urls, &failures);
    state.SetItemsProcessed(state.iterations() * distinctURLs * loadsPerURL);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_MemoryCacheHits)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
