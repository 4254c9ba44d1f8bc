#pragma once

#include "twitch-sim/SimChatTraffic.h"
#include "twitch-sim/SimModel.h"
#include "twitch-sim/SimRecentMessages.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QWebSocket>

class QAbstractHttpServer;

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace parley::sim {

// The chat service of the simulator: IRC over WebSocket as the service speaks
// it to one client. It acknowledges the capability request, checks PASS
// against the known tokens, welcomes, echoes JOIN with the names list and
// sends the user and room state; it pings, echoes the client's messages with
// a USERSTATE carrying the new message id and relays them to the channel's
// other clients. Tests push exact frames, start generated traffic and inject
// faults.
class SimChatService : public QObject {
    Q_OBJECT

public:
    // Takes the WebSocket upgrades of `server`; tokens, accounts and emotes
    // come from `model`, which must outlive the service.
    SimChatService(const SimModel& model, QAbstractHttpServer& server, QObject* parent = nullptr);
    ~SimChatService() override;

    // Sends "PING :tmi.twitch.tv" to every logged-in client at this interval
    // (5 minutes by default; zero stops it).
    void setPingInterval(std::chrono::milliseconds interval);
    int pongCount() const { return pongCount_; }

    // Scripted traffic, to every client that joined a channel: one text frame
    // exactly as given (it may hold several CR LF separated lines), or one
    // binary frame.
    void sendText(const QString& frame);
    void sendBinary(const QByteArray& frame);

    // Generated chat for each joined channel, at `messagesPerSecond`.
    void startTraffic(double messagesPerSecond);
    void stopTraffic();
    // Sends `frames` to every joined client as fast as they read them (at most
    // a few MiB waiting in the socket), `repeat` times over.
    void flood(const QStringList& frames, int repeat = 1);

    // Faults.
    void closeConnections(); // a normal close handshake
    void dropConnections(); // the TCP connection just ends
    void setStalled(bool stalled); // receives but answers nothing, sends nothing
    // Answers every client line (the welcome, message echoes) this much later.
    void setAnswerDelay(std::chrono::milliseconds delay) { answerDelay_ = delay; }
    // The service moves clients to another server: "RECONNECT" to every
    // logged-in client, which is closed `closeAfter` later (never when negative).
    void sendReconnect(std::chrono::milliseconds closeAfter = std::chrono::milliseconds(-1));
    // The next `count` chat messages are refused with a NOTICE of `noticeID`
    // and `text` instead of being echoed.
    void refuseMessages(const QString& noticeID, const QString& text, int count = 1);
    // Sends `frame` as a text message cut into two frames inside the first
    // multi-byte UTF-8 sequence (as RFC 6455 allows).
    void sendTextSplitInCharacter(const QString& frame);
    void sendOverlongLine(qsizetype bodySize = 1024 * 1024);
    void sendMalformedLines();

    // Every frame the clients sent, in order of arrival.
    const QStringList& receivedFrames() const { return receivedFrames_; }
    int connectionCount() const { return int(clients_.size()); }
    // Sends `line` to every client joined to `channel` (a moderator's CLEARMSG, say).
    void sendToChannel(const QString& channel, const QString& line);
    // The login of an account or of a generated chatter; the id itself when unknown.
    QString loginOf(const QString& userID) const;
    // The room id the service gives a channel.
    QString roomID(const QString& channel) const;
    // The emotes chatters of a channel use: the global ones, the channel's and
    // other channels' (which only the template address serves).
    QList<SimChatEmote> chatEmotes(const QString& channel) const;
    QStringList communityWords(const QString& channel) const;
    // The recent chat service's stand-in: the chat lines sent to each channel.
    const SimRecentMessages& recentMessages() const { return recentMessages_; }

signals:
    void frameReceived(const QString& frame);
    void clientJoined(const QString& channel);
    void connectionClosed();

private:
    struct Client;

    void accept(std::unique_ptr<QWebSocket> socket);
    void receive(Client& client, const QString& frame);
    void answer(QWebSocket* socket, const QString& frame);
    void receiveLine(Client& client, const QString& line);
    void logIn(Client& client);
    void join(Client& client, const QString& channel);
    void relayMessage(Client& client, const QString& text);
    void ping();
    void sendTraffic();
    void continueFlood();
    void remove(QWebSocket* socket);
    Client* find(QWebSocket* socket);
    template <typename F>
    void forEachJoined(F&& f);

    const SimModel& model_;
    std::vector<std::unique_ptr<Client>> clients_;
    SimRecentMessages recentMessages_;
    QStringList receivedFrames_;
    int pongCount_ = 0;
    bool stalled_ = false;
    std::chrono::milliseconds answerDelay_ { 0 };
    QList<std::pair<QString, QString>> refusals_; // notice id, text
    QTimer pingTimer_;

    QTimer trafficTimer_;
    QElapsedTimer trafficClock_;
    std::map<QString, std::unique_ptr<SimChatTraffic>> traffic_; // by channel
    double trafficRate_ = 0;
    qint64 trafficSent_ = 0;

    QStringList floodFrames_;
    qsizetype floodNext_ = 0;
    qsizetype floodEnd_ = 0;
};

} // namespace parley::sim
