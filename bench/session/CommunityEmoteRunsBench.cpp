// What matching community emote names adds to composing a message: the runs
// of every message of a busy channel's corpus, without community emotes and
// with 5,000 names loaded (a large channel's three services together). The
// difference per message is the cost of the lookups.
#include "app/session/TextWithEmotes.h"
#include "community/CommunityEmoteNames.h"
#include "twitch/TwitchChatCorpus.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <benchmark/benchmark.h>


using namespace parley;

namespace {

QList<TextWithEmotes> corpusBodies()
{
    QList<TextWithEmotes> bodies;
    for (const QString& line : bench::privateMessageCorpus(20'000)) {
        if (const auto message = TwitchChatTextMessage::fromLine(TwitchChatIRCMessage::parse(line)))
            bodies.append(TextWithEmotes(message->body(), message->emotes(), message->emoteSets()));
    }
    return bodies;
}

// `count` names, some of them words the corpus uses, so a few match.
CommunityEmoteNames communityNames(int count)
{
    CommunityEmoteNames names;
    if (count == 0)
        return names;
    for (const QString& word : { QStringLiteral("KEKW"), QStringLiteral("LUL"), QStringLiteral("catJAM") })
        names.add(CommunityEmote { word, word, CommunityEmoteProvider::SevenTV, {}, {}, false, false });
    for (int i = names.size(); i < count; ++i) {
        const QString name = QStringLiteral("emote%1Name").arg(i);
        names.add(CommunityEmote { name, name, CommunityEmoteProvider::BetterTTV, {}, {}, false, false });
    }
    return names;
}

void BM_MessageRuns(benchmark::State& state)
{
    const QList<TextWithEmotes> bodies = corpusBodies();
    const CommunityEmoteNames names = communityNames(int(state.range(0)));
    CommunityEmoteLookup lookup;
    if (names.size() > 0)
        lookup = [&names](QStringView word) { return names.find(word); };
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bodies[next].runs(lookup));
        next = (next + 1) % bodies.size();
    }
    state.SetLabel(names.size() == 0 ? "no community emotes" : "5,000 community names");
}
BENCHMARK(BM_MessageRuns)->Arg(0)->Arg(5000);

} // namespace

BENCHMARK_MAIN();
