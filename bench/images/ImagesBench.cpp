// Memory cache throughput and decoding cost of typical emote images.
#include "support/TestImages.h"

#include "images/cache/ImageCache.h"
#include "images/decoding/ImageDecoders.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <vector>

using namespace parley;

namespace {

constexpr int keyCount = 4096;

const std::vector<ImageCacheKey>& keys()
{
    static const std::vector<ImageCacheKey> all = [] {
        std::vector<ImageCacheKey> k;
        for (int i = 0; i < keyCount; ++i)
            k.emplace_back(ImageRequest(
                QUrl(QStringLiteral("https://static-cdn.example/emoticons/v2/%1/default/dark/1.0").arg(i))));
        return k;
    }();
    return all;
}

// An emote-sized bitmap (28 x 28 ARGB, 3136 bytes).
ImageContainer emote()
{
    QImage image(28, 28, QImage::Format_ARGB32);
    image.fill(Qt::red);
    return ImageContainer(image, AssetType::png());
}

// A cache that holds half the keys, so that sets keep evicting.
ImageCache& sharedBenchCache()
{
    static ImageCache cache = [] {
        ImageCache::Configuration conf;
        conf.costLimit = emote().cost() * keyCount / 2;
        conf.entryCostLimit = 1;
        return ImageCache(conf, nullptr);
    }();
    return cache;
}

void BM_ImageCacheGetSet(benchmark::State& state)
{
    ImageCache& cache = sharedBenchCache();
    const auto& all = keys();
    const ImageContainer image = emote();
    quint32 seed = 2463534242u + quint32(state.thread_index()) * 7919u;
    for (auto _ : state) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const auto& key = all[seed % keyCount];
        if (seed & 0x100) {
            benchmark::DoNotOptimize(cache.image(key));
        } else {
            cache.setImage(image, key);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImageCacheGetSet)->Threads(1)->Threads(2)->UseRealTime();

void BM_ImageCacheSetWithEviction(benchmark::State& state)
{
    ImageCache::Configuration conf;
    conf.costLimit = emote().cost() * 256;
    conf.entryCostLimit = 1;
    ImageCache cache(conf, nullptr);
    const auto& all = keys();
    const ImageContainer image = emote();
    int i = 0;
    for (auto _ : state)
        cache.setImage(image, all[i++ % keyCount]);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImageCacheSetWithEviction);

void decode(benchmark::State& state, const QByteArray& data)
{
    for (auto _ : state) {
        ImageDecoders::Default decoder;
        benchmark::DoNotOptimize(decoder.decode(data));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DecodeEmotePng(benchmark::State& state)
{
    decode(state, testimages::png(28, 28));
}
BENCHMARK(BM_DecodeEmotePng)->Unit(benchmark::kMicrosecond);

void BM_DecodeEmotePngLarge(benchmark::State& state)
{
    decode(state, testimages::png(112, 112));
}
BENCHMARK(BM_DecodeEmotePngLarge)->Unit(benchmark::kMicrosecond);

void BM_DecodeAnimatedGif(benchmark::State& state)
{
    decode(state, testimages::animatedGif());
}
BENCHMARK(BM_DecodeAnimatedGif)->Unit(benchmark::kMicrosecond);

void BM_DecodeEmoteGif(benchmark::State& state)
{
    decode(state, testimages::emoteGif());
}
BENCHMARK(BM_DecodeEmoteGif)->Unit(benchmark::kMicrosecond);

// A header claiming 30000 x 30000 must be refused from the header alone.
void BM_RejectHugePngHeader(benchmark::State& state)
{
    const QByteArray data = testimages::pngClaiming(30000, 30000);
    for (auto _ : state) {
        try {
            ImageDecoders::Default().decode(data);
        } catch (const ImageDecodingError&) { }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RejectHugePngHeader)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Image plugins are found through the application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
