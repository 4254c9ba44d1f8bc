// What a page attached to the overlay costs per chat message: every message
// of a busy channel's corpus is parsed and composed as the window composes it
// (the work Parley does per message anyway), then published to the overlay's
// feed with no page attached and with one reading it over loopback (from a
// thread of its own, as a browser reads from its process). The difference is
// what an attached page costs Parley's main thread per message, in CPU time,
// and the heap the server holds for it.
#include "app/overlay/OverlayFeed.h"
#include "app/overlay/OverlayServer.h"
#include "app/session/TextWithEmotes.h"
#include "twitch/TwitchChatCorpus.h"
#include "twitch/chat/TwitchChatIRCMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpSocket>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <memory>
#include <thread>

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

// A page reading the feed from its own thread, as a browser would from its
// own process: its reading is not the server's cost.
class Page {
public:
    Page(quint16 port, const QByteArray& request)
        : reader_([this, port, request] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            socket.write(request);
            while (!stop_)
                if (socket.waitForReadyRead(20))
                    received_ += socket.readAll().size();
        })
    { }
    ~Page()
    {
        stop_ = true;
        reader_.join();
    }
    qint64 received() const { return received_; }

private:
    std::atomic<bool> stop_ = false;
    std::atomic<qint64> received_ = 0;
    std::thread reader_;
};

void BM_ChatMessageToOverlay(benchmark::State& state)
{
    const QStringList lines = bench::privateMessageCorpus(20'000);
    OverlayFeed feed;
    OverlayServer server(feed, [](const QString&) { return QImage(); });
    OverlayOptions options;
    options.port = 0;
    options.token = OverlayOptions::newToken();
    server.listen(options);
    std::unique_ptr<Page> page;
    if (state.range(0) == 1) {
        page = std::make_unique<Page>(server.port(),
            "GET /overlay/" + options.token.toLatin1() +
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
        // The event loop's turn, as between two chat frames: the socket writes.
        QCoreApplication::processEvents();
    }
    // What is held once the last events are out (the benchmark publishes far
    // faster than any chat, so a flush interval's worth is a lot here).
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 2 * OverlayServer::flushInterval.count())
        QCoreApplication::processEvents();
    state.counters["heap_held_KB"] = (heapBytesInUse() - heapBefore) / 1024;
    if (page)
        state.counters["bytes_to_page_per_message"] = benchmark::Counter(
            double(page->received()), benchmark::Counter::kAvgIterations);
    state.SetLabel(page ? "one page attached" : "no page attached");
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
