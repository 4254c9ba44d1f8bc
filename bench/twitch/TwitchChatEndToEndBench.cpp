// The chat client against the simulator's generated chat on loopback: frames
// in, text messages appended and announced. The simulator runs on its own
// thread, the client on the main thread as in the application; the CPU time
// per message is the main thread's alone.

#include "platform/Diagnostics.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/chat/TwitchChat.h"

#include <QCoreApplication>
#include <QThread>

#include <benchmark/benchmark.h>

#include <ctime>

using namespace parley;
using namespace parley::sim;

namespace {

constexpr int messagesPerPass = 20000;
constexpr int linesPerFrame = 10;

double threadCPUSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The simulator, living on its own thread for as long as the benchmark runs.
class SimulatorThread {
public:
    SimulatorThread()
    {
        context_.moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(&context_, [this] {
            simulator_ = std::make_unique<TwitchSimulator>();
            simulator_->start();
        }, Qt::BlockingQueuedConnection);
    }

    ~SimulatorThread()
    {
        QMetaObject::invokeMethod(&context_, [this] { simulator_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    QUrl chatURL() const { return simulator_->chatURL(); }

    // `messages` generated chat messages for `channel`, in frames.
    QStringList trafficFrames(const QString& channel, int messages)
    {
        QStringList frames;
        QMetaObject::invokeMethod(&context_, [&] {
            const SimChatService& chat = simulator_->chat();
            frames = SimChatTraffic(channel, chat.roomID(channel), chat.chatEmotes(channel))
                         .frames(messages, linesPerFrame);
        }, Qt::BlockingQueuedConnection);
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
    const Diagnostics::Sink previous = Diagnostics::setSink(Diagnostics::discard);
    SimulatorThread simulator;
    const QString channel = QString::fromLatin1(demo::login);
    const QStringList frames = simulator.trafficFrames(channel, messagesPerPass);
    const int perPass = appendedMessages(frames);

    TwitchEndpoints endpoints;
    endpoints.chatURL = simulator.chatURL();
    TwitchUserAccessToken::Info info;
    info.login = channel;
    TwitchChat chat(endpoints, TwitchUserAccessToken { QString::fromLatin1(demo::token), info });
    qint64 appended = 0;
    QObject::connect(&chat, &TwitchChat::messageAppended, &chat,
                     [&] { ++appended; });
    const auto connection = chat.connect();
    while (!chat.room() && connection->isRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    double cpu = 0;
    for (auto _ : state) {
        const qint64 target = appended + perPass;
        const double cpuStart = threadCPUSeconds();
        simulator.flood(frames);
        while (appended < target && connection->isRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
    Diagnostics::setSink(previous);
}

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
