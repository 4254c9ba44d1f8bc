// Thirty different animated emotes on screen: the memory their decoded frames
// take, and the main thread's work per clock tick (picking every emote's frame
// and drawing it at 24 points on a 2x screen). The clock ticks at most every
// EmoteAnimationClock::minimumInterval, so CPU share = tick time x ticks/s.
#include "app/session/EmoteAnimation.h"
#include "app/session/EmoteAnimationClock.h"
#include "twitch-sim/GifEncoder.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

using namespace parley;

namespace {

constexpr int emoteCount = 30;
constexpr int framesPerEmote = 24;

// A 112x112 GIF (the double-scale size of the services) of 24 frames at 40 ms.
QByteArray animatedEmote(int seed)
{
    constexpr int side = 112;
    sim::GifEncoder encoder(side, side, { qRgba(0, 0, 0, 0), qRgb(seed * 8, 40, 200), qRgb(250, 200, seed) });
    for (int frame = 0; frame < framesPerEmote; ++frame) {
        QByteArray indices(side * side, char(1));
        for (int y = 0; y < side; ++y)
            indices[y * side + (frame * 4 + y) % side] = char(2);
        encoder.addFrame(indices, 4);
    }
    return encoder.finish();
}

QList<EmoteAnimation> thirtyAnimations()
{
    QList<EmoteAnimation> animations;
    for (int i = 0; i < emoteCount; ++i)
        animations.append(*EmoteAnimation::decode(animatedEmote(i), 8 * 1024 * 1024));
    return animations;
}

void BM_ThirtyAnimatedEmotesFrames(benchmark::State& state)
{
    qint64 bytes = 0;
    for (auto _ : state) {
        const QList<EmoteAnimation> animations = thirtyAnimations();
        bytes = 0;
        for (const EmoteAnimation& animation : animations)
            bytes += animation.byteCount();
    }
    state.counters["frameMB"] = double(bytes) / (1024 * 1024);
}
BENCHMARK(BM_ThirtyAnimatedEmotesFrames)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ThirtyAnimatedEmotesTick(benchmark::State& state)
{
    const QList<EmoteAnimation> animations = thirtyAnimations();
    QImage screen(QSize(48, 48) * emoteCount, QImage::Format_ARGB32_Premultiplied);
    screen.setDevicePixelRatio(2);
    EmoteAnimation::Duration elapsed { 0 };
    for (auto _ : state) {
        QPainter painter(&screen);
        for (int i = 0; i < emoteCount; ++i) {
            const EmoteImage& frame = animations[i].frames().at(animations[i].frameAt(elapsed));
            painter.drawImage(QRectF(24.0 * i, 0, 24, 24), frame.image);
        }
        elapsed += EmoteAnimationClock::minimumInterval;
    }
    const double ticksPerSecond = 1000.0 / double(EmoteAnimationClock::minimumInterval.count());
    state.counters["ticksPerSecond"] = ticksPerSecond;
}
BENCHMARK(BM_ThirtyAnimatedEmotesTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
