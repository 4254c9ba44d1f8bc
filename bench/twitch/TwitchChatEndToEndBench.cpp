// The chat client against the simulator's generated chat on loopback: frames
// in, text messages appended and announced. The simulator runs on its own
// thread, the client on the main thread as in the application; the CPU time
// per message is the main thread's alone.
//
// BM_ChatCorpus does the same with a busy channel's corpus (the file named by
// PARLEY_CHAT_CORPUS, one line per line, or the built-in one), sent 10 lines a
// frame, and also reports the memory the stored messages cost.

#include "TwitchChatCorpus.h"
#include "platform/Diagnostics.h"
#include "support/ThreadCPUTime.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/chat/TwitchChat.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <string>
#include <utility>

using namespace parley;
using namespace parley::sim;
using parley::test::threadCPUSeconds;

namespace {

constexpr int messagesPerPass = 20000;
constexpr int linesPerFrame = 10;
constexpr int corpusLineCount = 200000;

// The resident set size of this process, in bytes, after the allocator has
// handed back what it no longer uses (the dropped messages' memory among it).
double residentBytes()
{
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024;
    return 0;
}

// The bytes the allocator has handed out and not had back: steadier than the
// resident set, which also counts freed pages not yet returned.
double heapBytesInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

// The lines of the corpus file named by PARLEY_CHAT_CORPUS or, without one,
// the built-in corpus of the same size.
QStringList corpusLines()
{
    const QString path = qEnvironmentVariable("PARLEY_CHAT_CORPUS");
    if (path.isEmpty())
        return bench::chatCorpus(corpusLineCount);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromUtf8(line));
    }
    return lines;
}

// `lines` in frames of linesPerFrame.
QStringList framesOf(const QStringList& lines)
{
    QStringList frames;
    for (qsizetype first = 0; first < lines.size(); first += linesPerFrame)
        frames.append(lines.mid(first, linesPerFrame).join(QStringLiteral("\r\n")));
    return frames;
}

// The simulator, living on its own thread for as long as the benchmark runs.
class SimulatorThread {
public:
    SimulatorThread()
    {
        context_.moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                simulator_ = std::make_unique<TwitchSimulator>();
                simulator_->start();
            },
            Qt::BlockingQueuedConnection);
    }

    ~SimulatorThread()
    {
        QMetaObject::invokeMethod(
            &context_, [this] { simulator_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    QUrl chatURL() const { return simulator_->chatURL(); }

    // `messages` generated chat messages for `channel`, in frames.
    QStringList trafficFrames(const QString& channel, int messages)
    {
        QStringList frames;
        QMetaObject::invokeMethod(
            &context_,
            [&] {
                const SimChatService& chat = simulator_->chat();
                frames = SimChatTraffic(channel, chat.roomID(channel), chat.chatEmotes(channel))
                             .frames(messages, linesPerFrame);
            },
            Qt::BlockingQueuedConnection);
        return frames;
    }

    void flood(const QStringList& frames)
    {
        QMetaObject::invokeMethod(&context_, [this, frames] { simulator_->chat().flood(frames); });
    }

private:
    QThread thread_;
    QObject context_;
    std::unique_ptr<TwitchSimulator> simulator_;
};

// A client of the demo broadcaster's own channel on the simulator.
std::unique_ptr<TwitchChat> demoChat(const QUrl& chatURL)
{
    TwitchEndpoints endpoints;
    endpoints.chatURL = chatURL;
    TwitchUserAccessToken::Info info;
    info.login = QString::fromLatin1(demo::login);
    return std::make_unique<TwitchChat>(endpoints, TwitchUserAccessToken { QString::fromLatin1(demo::token), info });
}

// Runs the event loop until `done` or until the chat's run ends.
template <typename Done>
void runUntil(Done done, const TwitchChatConnection& connection)
{
    while (!done() && connection.isRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// How many of the lines yield an appended message (moderators' messages, for
// one, carry a user type the client does not accept).
int appendedMessages(const QStringList& frames)
{
    int count = 0;
    for (const QString& frame : frames)
        for (const QString& line : frame.split(QStringLiteral("\r\n")))
            if (const auto message = TwitchChatIRCMessage::tryParse(line))
                count += TwitchChatTextMessage::fromLine(*message).has_value();
    return count;
}

void BM_ChatEndToEnd(benchmark::State& state)
{
    DiagnosticsSilence quiet;
    SimulatorThread simulator;
    const QString channel = QString::fromLatin1(demo::login);
    const QStringList frames = simulator.trafficFrames(channel, messagesPerPass);
    const int perPass = appendedMessages(frames);

    const auto chat = demoChat(simulator.chatURL());
    qint64 appended = 0;
    QObject::connect(chat.get(), &TwitchChat::messageAppended, chat.get(), [&] { ++appended; });
    const auto connection = chat->connect();
    runUntil([&] { return chat->room().has_value(); }, *connection);

    double cpu = 0;
    for (auto _ : state) {
        const qint64 target = appended + perPass;
        const double cpuStart = threadCPUSeconds();
        simulator.flood(frames);
        runUntil([&] { return appended >= target; }, *connection);
        cpu += threadCPUSeconds() - cpuStart;
    }
    if (!connection->isRunning())
        state.SkipWithError(connection->errorDescription().toStdString().c_str());
    const double messages = double(state.iterations()) * perPass;
    state.counters["messages_per_s"] = benchmark::Counter(messages, benchmark::Counter::kIsRate);
    state.counters["client_cpu_ns_per_message"] = cpu * 1e9 / messages;
    state.counters["chat_lines_per_pass"] = messagesPerPass;
    state.counters["appended_per_pass"] = perPass;
    connection->cancel();
}

// The corpus once through a fresh client: CPU per chat message of the corpus
// (its PRIVMSG lines; the other lines' work is counted too), and the resident
// memory and heap per stored message (the history keeps the newest
// TwitchChat::maxMessages).
void BM_ChatCorpus(benchmark::State& state)
{
    QStringList frames = framesOf(corpusLines());
    if (frames.isEmpty()) {
        state.SkipWithError("PARLEY_CHAT_CORPUS names no readable corpus file");
        return;
    }
    DiagnosticsSilence quiet;
    SimulatorThread simulator;
    const int perPass = appendedMessages(frames);
    const QString channel = QString::fromLatin1(demo::login);
    // A last message of its own marks the end: every line before it has
    // been handled, and nothing waits in a buffer when memory is read.
    const QString endID = QStringLiteral("corpus-end");
    frames.append(QStringLiteral("@id=%1;tmi-sent-ts=1 :end!end@end PRIVMSG #%2 :end").arg(endID, channel));

    for (auto _ : state) {
        const auto chat = demoChat(simulator.chatURL());
        qint64 appended = 0;
        QObject::connect(chat.get(), &TwitchChat::messageAppended, chat.get(), [&] { ++appended; });
        const auto connection = chat->connect();
        runUntil([&] { return chat->room().has_value(); }, *connection);
        const double rssBefore = residentBytes();
        const double heapBefore = heapBytesInUse();
        const double cpuStart = threadCPUSeconds();
        simulator.flood(frames);
        runUntil(
            [&] { return !chat->messages().isEmpty() && chat->messages().constLast().id() == endID; }, *connection);
        const double cpu = threadCPUSeconds() - cpuStart;
        state.counters["client_cpu_ns_per_message"] = cpu * 1e9 / double(perPass);
        state.counters["rss_before_MB"] = rssBefore / 1e6;
        state.counters["rss_after_MB"] = residentBytes() / 1e6;
        const double stored = double(chat->messages().size());
        state.counters["stored_messages"] = stored;
        state.counters["bytes_per_stored_message"] = (residentBytes() - rssBefore) / stored;
        state.counters["heap_bytes_per_stored_message"] = (heapBytesInUse() - heapBefore) / stored;
        state.counters["appended"] = double(appended);
        connection->cancel();
    }
}

// Five passes, each through a fresh client: the machine's noise shows in the
// spread, and the median is the figure to quote.
BENCHMARK(BM_ChatCorpus)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

BENCHMARK(BM_ChatEndToEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(7);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
