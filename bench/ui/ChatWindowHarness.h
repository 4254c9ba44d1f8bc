#pragma once

#include "app/session/SessionController.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/SessionViewController.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/Diagnostics.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QThread>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace parley::bench {

// How many of the lines in `frames` become chat rows.
inline int rowsIn(const QStringList& frames)
{
    int count = 0;
    for (const QString& frame : frames)
        for (const QString& line : frame.split(QStringLiteral("\r\n")))
            if (const auto message = TwitchChatIRCMessage::tryParse(line))
                count += TwitchChatTextMessage::fromLine(*message).has_value();
    return count;
}

// Resident memory of this process, in MB.
inline double residentMB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The simulator on its own thread, so the main thread does only what the
// application does.
class SimulatorThread {
public:
    SimulatorThread()
    {
        context_.moveToThread(&thread_);
        thread_.start();
        run([this] {
            simulator_ = std::make_unique<sim::TwitchSimulator>(sim::SimModel::demoContent());
            simulator_->start();
        });
    }
    ~SimulatorThread()
    {
        run([this] { simulator_.reset(); });
        thread_.quit();
        thread_.wait();
    }

    template <typename F>
    void run(F f)
    {
        QMetaObject::invokeMethod(&context_, f, Qt::BlockingQueuedConnection);
    }
    template <typename F>
    void post(F f)
    {
        QMetaObject::invokeMethod(&context_, f);
    }

    TwitchEndpoints endpoints() const
    {
        TwitchEndpoints endpoints;
        endpoints.identityURL = simulator_->identityURL();
        endpoints.helixURL = simulator_->helixURL();
        endpoints.chatURL = simulator_->chatURL();
        return endpoints;
    }

    // Generated chat of the demo channel, 10 messages to a frame, that makes
    // at least `rows` chat rows.
    QStringList framesForRows(int rows)
    {
        QStringList frames = trafficFrames(rows);
        const int made = rowsIn(frames);
        return made >= rows ? frames : trafficFrames(int(qint64(rows) * rows / std::max(made, 1)) + 100);
    }

    // `messages` generated chat messages of the demo channel, 10 to a frame.
    QStringList trafficFrames(int messages)
    {
        QStringList frames;
        run([&] {
            const QString channel = QString::fromLatin1(sim::demo::login);
            const sim::SimChatService& chat = simulator_->chat();
            frames = sim::SimChatTraffic(channel, chat.roomID(channel), chat.chatEmotes(channel)).frames(messages, 10);
        });
        return frames;
    }
    void flood(const QStringList& frames)
    {
        post([this, frames] { simulator_->chat().flood(frames); });
    }
    void startTraffic(double perSecond)
    {
        post([this, perSecond] { simulator_->chat().startTraffic(perSecond); });
    }
    void stopTraffic()
    {
        run([this] { simulator_->chat().stopTraffic(); });
    }

private:
    QThread thread_;
    QObject context_;
    std::unique_ptr<sim::TwitchSimulator> simulator_;
};

// A signed-in session on the simulator and its chat window, shown offscreen.
class ChatWindowHarness {
public:
    explicit ChatWindowHarness(SimulatorThread& simulator)
        : twitch_(simulator.endpoints(), QString::fromLatin1(sim::demo::clientID),
              QUrl(QStringLiteral("http://localhost:17563")))
        , session_(twitch_, token(), nullptr, *pipeline_)
        , view_(session_, theme_)
    {
        view_.resize(380, 600);
        view_.show();
        QObject::connect(session_.chat(), &TwitchChat::messageAppended, &view_, [this] { ++appended_; });
        // The session starts on the next turn of the event loop.
        QElapsedTimer clock;
        clock.start();
        while (!session_.chat()->room() && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

    SessionController& session() { return session_; }
    SessionViewController& view() { return view_; }
    int rows() { return view_.messageListModel().rowCount(); }
    // Messages the chat has announced so far (the list may keep fewer).
    qint64 appended() const { return appended_; }

    // Runs the event loop until the chat has announced `count` messages in
    // all (or the chat ends).
    void waitForAppended(qint64 count)
    {
        while (appended_ < count && session_.isListening())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

private:
    static TwitchUserAccessToken token()
    {
        TwitchUserAccessToken token;
        token.token = QString::fromLatin1(sim::demo::token);
        token.info.clientID = QString::fromLatin1(sim::demo::clientID);
        token.info.login = QString::fromLatin1(sim::demo::login);
        token.info.userID = QString::fromLatin1(sim::demo::userID);
        return token;
    }

    TwitchAPI twitch_;
    std::shared_ptr<ImagePipeline> pipeline_ = ImagePipeline::create();
    SessionController session_;
    ThemeModifier theme_;
    SessionViewController view_;
    qint64 appended_ = 0;
};

} // namespace parley::bench
