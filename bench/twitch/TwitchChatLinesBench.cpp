#include "TwitchChatCorpus.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <benchmark/benchmark.h>

using namespace parley;

namespace {

constexpr int corpusSize = 1000;

// Unknown tags (USERNOTICE has many) are logged; the benchmark drops the
// lines but still pays for writing them.

void parseOnly(benchmark::State& state, const QStringList& corpus)
{
    DiagnosticsSilence quiet;
    for (auto _ : state)
        for (const QString& line : corpus)
            benchmark::DoNotOptimize(TwitchChatIRCMessage::tryParse(line));
    state.SetItemsProcessed(state.iterations() * corpus.size());
}

void parseAndTextMessage(benchmark::State& state, const QStringList& corpus)
{
    DiagnosticsSilence quiet;
    for (auto _ : state)
        for (const QString& line : corpus)
            if (const auto message = TwitchChatIRCMessage::tryParse(line))
                benchmark::DoNotOptimize(TwitchChatTextMessage::fromLine(*message));
    state.SetItemsProcessed(state.iterations() * corpus.size());
}

void BM_ParseOnly(benchmark::State& state)
{
    static const QStringList corpus = bench::chatCorpus(corpusSize);
    parseOnly(state, corpus);
}

void BM_ParseAndTextMessage(benchmark::State& state)
{
    static const QStringList corpus = bench::chatCorpus(corpusSize);
    parseAndTextMessage(state, corpus);
}

void BM_ParseOnly_PrivmsgOnly(benchmark::State& state)
{
    static const QStringList corpus = bench::privateMessageCorpus(corpusSize);
    parseOnly(state, corpus);
}

void BM_ParseAndTextMessage_PrivmsgOnly(benchmark::State& state)
{
    static const QStringList corpus = bench::privateMessageCorpus(corpusSize);
    parseAndTextMessage(state, corpus);
}

} // namespace

BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndTextMessage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOnly_PrivmsgOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndTextMessage_PrivmsgOnly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
