// What a page attached to the overlay costs per chat message: every message
// of a busy channel's corpus is parsed and composed as the window composes it
// (the work Parley does per message anyway), then published to the overlay's
// feed with no page attached and with one reading it over loopback. The
// difference between the two is the attached page's share, in CPU time and in
// heap held by the server.
#include "app/overlay/OverlayFeed.h"
#include "app/overlay/OverlayServer.h"
#include "app/session/TextWithEmotes.h"
#include "twitch/TwitchChatCorpus.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QTcpSocket>

#include <benchmark/benchmark.h>
#include <malloc.h>

using namespace parley;

namespace {

double heapBytesInUse()
{
    return double(mallinfo2().uordblks);
}

// The message as the overlay sends it, its runs as the window composes them.
QJsonObject composed(const TwitchChatTextMessage& message)
{
    QJsonArray runs;
    for (const TextWithEmotesRun& run : TextWithEmotes(message.body(), message.emotes(), message.emoteSets()).runs({}))
        runs.append(run.isText()
                ? QJsonObject { { "text", run.text } }
                : QJsonObject { { "emote", run.text }, { "url", "/overlay/t/image/" + run.twitchEmoteID } });
    return { { "id", message.id() }, { "name", message.displayName() }, { "color", "#8a2be2" }, { "runs", runs } };
}

void BM_ChatMessageToOverlay(benchmark::State& state)
{
    const QStringList lines = bench::privateMessageCorpus(20'000);
    OverlayFeed feed;
    OverlayServer server(feed, [](const QString&) { return QImage(); });
    OverlayOptions options;
    options.port = 0;
    options.token = OverlayOptions::newToken();
    server.listen(options);
    QTcpSocket page;
    qint64 received = 0;
    QObject::connect(&page, &QTcpSocket::readyRead, [&] { received += page.readAll().size(); });
    if (state.range(0) == 1) {
        page.connectToHost(QHostAddress::LocalHost, server.port());
        page.write("GET /overlay/" + options.token.toLatin1() +
            "/events HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n\r\n");
        while (server.streamCount() == 0)
            QCoreApplication::processEvents();
    }
    const double heapBefore = heapBytesInUse();
    qsizetype next = 0;
    for (auto _ : state) {
        if (const auto message = TwitchChatTextMessage::fromLine(TwitchChatIRCMessage::parse(lines[next])))
            feed.publish(composed(*message));
        next = (next + 1) % lines.size();
        // The event loop's turn, as between two chat frames: the page reads.
        QCoreApplication::processEvents();
    }
    state.counters["heap_held_KB"] = (heapBytesInUse() - heapBefore) / 1024;
    state.counters["bytes_to_page_per_message"] = benchmark::Counter(
        double(received), benchmark::Counter::kAvgIterations);
    state.SetLabel(state.range(0) == 1 ? "one page attached" : "no page attached");
}
BENCHMARK(BM_ChatMessageToOverlay)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
