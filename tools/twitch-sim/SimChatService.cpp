#include "twitch-sim/SimChatService.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QPointer>
#include <QSet>
#include <QUuid>

namespace parley::sim {

namespace {

const QString server = QStringLiteral("tmi.twitch.tv");
constexpr qint64 floodBacklog = 4 * 1024 * 1024;

QString messageID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString now()
{
    return QString::number(QDateTime::currentMSecsSinceEpoch());
}

// The "emotes" tag for a text: every word that names a catalogue emote, with
// positions in code points.
QString emotesTag(const QString& text, const QList<SimEmote>& emotes)
{
    QMap<QString, QStringList> ranges;
    int position = 0;
    for (const QString& word : text.split(u' ')) {
        const int length = int(word.toUcs4().size());
        for (const SimEmote& emote : emotes)
            if (emote.name == word)
                ranges[emote.id].append(QStringLiteral("%1-%2").arg(position).arg(position + length - 1));
        position += length + 1;
    }
    QStringList pieces;
    for (auto it = ranges.cbegin(); it != ranges.cend(); ++it)
        pieces.append(it.key() + u':' + it.value().join(u','));
    return pieces.join(u'/');
}

} // namespace

struct SimChatService::Client {
    std::unique_ptr<QWebSocket> socket;
    QString token;
    std::optional<SimUser> account;
    QString channel; // empty until joined

    void send(const QString& frame) { socket->sendTextMessage(frame); }
    bool isBroadcaster() const { return account && account->login == channel; }
};

SimChatService::SimChatService(const SimModel& model, QAbstractHttpServer& server, QObject* parent)
    : QObject(parent), model_(model)
{
    QObject::connect(&server, &QAbstractHttpServer::newWebSocketConnection, this, [this, &server] {
        while (server.hasPendingWebSocketConnections())
            accept(server.nextPendingWebSocketConnection());
    });
    QObject::connect(&pingTimer_, &QTimer::timeout, this, &SimChatService::ping);
    QObject::connect(&trafficTimer_, &QTimer::timeout, this, &SimChatService::sendTraffic);
    trafficTimer_.setInterval(10);
    setPingInterval(std::chrono::minutes(5));
}

SimChatService::~SimChatService()
{
    for (const auto& client : clients_)
        client->socket->disconnect(this);
}

void SimChatService::accept(std::unique_ptr<QWebSocket> socket)
{
    QWebSocket* raw = socket.get();
    // Over-long lines must leave as one frame, as the service sends them.
    raw->setOutgoingFrameSize(QWebSocket::maxOutgoingFrameSize());
    clients_.push_back(std::make_unique<Client>(Client { std::move(socket), {}, {}, {} }));
    QObject::connect(raw, &QWebSocket::textMessageReceived, this, [this, raw](const QString& frame) {
        if (Client* client = find(raw))
            receive(*client, frame);
    });
    QObject::connect(raw, &QWebSocket::bytesWritten, this, &SimChatService::continueFlood);
    QObject::connect(raw, &QWebSocket::disconnected, this, [this, raw] { remove(raw); });
}

void SimChatService::setPingInterval(std::chrono::milliseconds interval)
{
    if (interval.count() > 0)
        pingTimer_.start(interval);
    else
        pingTimer_.stop();
}

template <typename F>
void SimChatService::forEachJoined(F&& f)
{
    // Sending may end a connection, which removes its client: iterate a copy.
    QList<QWebSocket*> sockets;
    for (const auto& client : clients_)
        if (!client->channel.isEmpty())
            sockets.append(client->socket.get());
    for (QWebSocket* socket : sockets)
        if (Client* client = find(socket))
            f(*client);
}

void SimChatService::sendText(const QString& frame)
{
    QSet<QString> channels;
    forEachJoined([&](Client& client) {
        channels.insert(client.channel);
        client.send(frame);
    });
    for (const QString& channel : channels)
        recentMessages_.remember(channel, frame);
}

void SimChatService::sendBinary(const QByteArray& frame)
{
    forEachJoined([&](Client& client) { client.socket->sendBinaryMessage(frame); });
}

void SimChatService::startTraffic(double messagesPerSecond)
{
    trafficRate_ = messagesPerSecond;
    trafficSent_ = 0;
    trafficClock_.start();
    trafficTimer_.start();
}

void SimChatService::stopTraffic()
{
    trafficTimer_.stop();
}

void SimChatService::sendTraffic()
{
    if (stalled_)
        return;
    const auto due = qint64(trafficRate_ * double(trafficClock_.elapsed()) / 1000.0) - trafficSent_;
    if (due <= 0)
        return;
    trafficSent_ += due;
    QHash<QString, QString> frames; // channel -> frame
    forEachJoined([&](Client& client) {
        if (frames.contains(client.channel))
            return;
        auto& traffic = traffic_[client.channel];
        if (!traffic)
            traffic = std::make_unique<SimChatTraffic>(client.channel, roomID(client.channel),
                chatEmotes(client.channel), 1, communityWords(client.channel));
        QStringList lines;
        for (qint64 i = 0; i < due; ++i)
            lines.append(traffic->nextLine().text);
        frames.insert(client.channel, lines.join(QStringLiteral("\r\n")));
    });
    forEachJoined([&](Client& client) { client.send(frames.value(client.channel)); });
    for (auto frame = frames.cbegin(); frame != frames.cend(); ++frame)
        recentMessages_.remember(frame.key(), frame.value());
}

void SimChatService::flood(const QStringList& frames, int repeat)
{
    floodFrames_ = frames;
    floodNext_ = 0;
    floodEnd_ = frames.size() * qsizetype(repeat);
    continueFlood();
}

void SimChatService::continueFlood()
{
    if (floodNext_ >= floodEnd_)
        return;
    QList<QWebSocket*> sockets;
    for (const auto& client : clients_)
        if (!client->channel.isEmpty())
            sockets.append(client->socket.get());
    while (floodNext_ < floodEnd_ && !sockets.isEmpty()) {
        for (QWebSocket* socket : sockets)
            if (socket->bytesToWrite() > floodBacklog)
                return;
        const QString& frame = floodFrames_.at(floodNext_++ % floodFrames_.size());
        for (QWebSocket* socket : sockets)
            socket->sendTextMessage(frame);
    }
    floodEnd_ = 0; // all sent, or nobody left to send to
}

void SimChatService::closeConnections()
{
    for (const auto& client : clients_)
        client->socket->close();
}

void SimChatService::dropConnections()
{
    QList<QWebSocket*> sockets;
    for (const auto& client : clients_)
        sockets.append(client->socket.get());
    for (QWebSocket* socket : sockets)
        socket->abort();
}

void SimChatService::setStalled(bool stalled)
{
    stalled_ = stalled;
}

void SimChatService::sendReconnect(std::chrono::milliseconds closeAfter)
{
    for (const auto& client : clients_) {
        if (!client->account)
            continue;
        client->send(QStringLiteral(":%1 RECONNECT").arg(server));
        if (closeAfter.count() >= 0)
            QTimer::singleShot(closeAfter, client->socket.get(), [socket = client->socket.get()] { socket->close(); });
    }
}

void SimChatService::refuseMessages(const QString& noticeID, const QString& text, int count)
{
    for (int i = 0; i < count; ++i)
        refusals_.append({ noticeID, text });
}

void SimChatService::sendTextSplitInCharacter(const QString& frame)
{
    const QByteArray utf8 = frame.toUtf8();
    qsizetype cut = 0;
    while (cut < utf8.size() && (uchar(utf8.at(cut)) & 0x80) == 0)
        ++cut;
    forEachJoined([&](Client& client) {
        client.socket->setOutgoingFrameSize(quint64(cut + 1));
        client.send(frame);
        client.socket->setOutgoingFrameSize(QWebSocket::maxOutgoingFrameSize());
    });
}

void SimChatService::sendOverlongLine(qsizetype bodySize)
{
    forEachJoined([&](Client& client) {
        client.send(QStringLiteral("@badges=;color=#FF0000;display-name=Flooder;emotes=;id=%1;mod=0;"
                                   "room-id=%2;subscriber=0;tmi-sent-ts=%3;turbo=0;user-id=1;user-type= "
                                   ":flooder!flooder@flooder.tmi.twitch.tv PRIVMSG #%4 :")
                        .arg(messageID(), roomID(client.channel), now(), client.channel) +
            QString(bodySize, u'x'));
    });
}

void SimChatService::sendMalformedLines()
{
    sendText(QStringList {
        QStringLiteral("@"),
        QStringLiteral("@badges=broadcaster/1;color=#FF0000"),
        QStringLiteral("@id=1 "),
        QStringLiteral(": PRIVMSG #x :no source"),
        QStringLiteral(":tmi.twitch.tv"),
        QStringLiteral(":tmi.twitch.tv CAP * ACK :twitch.tv/tags"),
        QStringLiteral(":tmi.twitch.tv privmsg #x :lower case"),
        QStringLiteral(":tmi.twitch.tv 99999999999999999999 x :too large"),
        QStringLiteral("@=;;=x;a=b=c :tmi.twitch.tv NOTICE #x :odd tags"),
        QStringLiteral("@id=2;emotes=25:3-,x-4,3-4-5/:;color=#GGGGGG;tmi-sent-ts=nan;user-type=mod "
                       ":a!a@a PRIVMSG #x :bad values"),
        QStringLiteral(":a!a@a PRIVMSG"),
        QStringLiteral("PING"),
        QStringLiteral("bare\nline\rfeeds"),
    }
                 .join(QStringLiteral("\r\n")));
}

void SimChatService::sendToChannel(const QString& channel, const QString& line)
{
    forEachJoined([&](Client& client) {
        if (client.channel == channel)
            client.send(line);
    });
}

QString SimChatService::loginOf(const QString& userID) const
{
    if (const std::optional<SimUser> user = model_.user(userID))
        return user->login;
    for (const auto& [channel, traffic] : traffic_)
        if (const std::optional<QString> login = traffic->loginOf(userID))
            return *login;
    return userID;
}

QString SimChatService::roomID(const QString& channel) const
{
    if (const std::optional<SimUser> owner = model_.userByLogin(channel))
        return owner->userID;
    return QString::number(900000000 + qHash(channel) % 90000000);
}

// What chatters of a channel use: the global emotes, the channel's own, and
// other channels' emotes their subscribers carry everywhere (in no catalogue
// the channel's chat loads; their images are at the template address).
QList<SimChatEmote> SimChatService::chatEmotes(const QString&) const
{
    QList<SimChatEmote> emotes;
    for (const SimEmote& emote : model_.emotes())
        emotes.append(SimChatEmote { emote.id, emote.name });
    return emotes;
}

// The community services' names the channel's chat can show: the global
// ones and the channel's own.
QStringList SimChatService::communityWords(const QString& channel) const
{
    const QString channelID = roomID(channel);
    QStringList words;
    for (const SimCommunityEmote& emote : model_.communityEmotes())
        if ((emote.isGlobal() || emote.channelID == channelID) && !words.contains(emote.name))
            words.append(emote.name);
    return words;
}

void SimChatService::receive(Client& client, const QString& frame)
{
    receivedFrames_.append(frame);
    QWebSocket* socket = client.socket.get();
    emit frameReceived(frame);
    if (stalled_)
        return;
    if (answerDelay_.count() <= 0) {
        answer(socket, frame);
        return;
    }
    QTimer::singleShot(answerDelay_, this, [this, socket = QPointer<QWebSocket>(socket), frame] {
        if (socket && !stalled_)
            answer(socket, frame);
    });
}

void SimChatService::answer(QWebSocket* socket, const QString& frame)
{
    for (const QString& line : frame.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        Client* still = find(socket);
        if (!still)
            return;
        receiveLine(*still, line);
    }
}

void SimChatService::receiveLine(Client& client, const QString& received)
{
    // Client tags (a reply's parent) lead the line; the command follows them.
    const QString line = received.startsWith(u'@') ? received.section(u' ', 1) : received;
    const QString command = line.section(u' ', 0, 0);
    const QString argument = line.section(u' ', 1);
    if (command == u"CAP") {
        client.send(QStringLiteral(":%1 CAP * ACK %2").arg(server, argument.section(u' ', 1)));
    } else if (command == u"PASS") {
        client.token = argument.startsWith(u"oauth:") ? argument.mid(6) : argument;
    } else if (command == u"NICK") {
        logIn(client);
    } else if (command == u"PONG") {
        ++pongCount_;
    } else if (command == u"PING") {
        client.send(QStringLiteral("PONG :") + server);
    } else if (!client.account) {
        return; // the service ignores everything else until logged in
    } else if (command == u"JOIN") {
        join(client, argument.mid(1));
    } else if (const QString target = QStringLiteral("#%1 :").arg(client.channel);
               command == u"PRIVMSG" && argument.startsWith(target) && !refusals_.isEmpty()) {
        const auto [noticeID, text] = refusals_.takeFirst();
        client.send(QStringLiteral("@msg-id=%1 :%2 NOTICE #%3 :%4").arg(noticeID, server, client.channel, text));
    } else if (command == u"PRIVMSG" && argument.startsWith(target)) {
        relayMessage(client, argument.mid(target.size()));
    } else if (command != u"PRIVMSG" && command != u"PART") {
        client.send(QStringLiteral(":%1 421 %2 %3 :Unknown command").arg(server, client.account->login, command));
    }
}

void SimChatService::logIn(Client& client)
{
    if (const std::optional<SimToken> token = model_.token(client.token))
        client.account = model_.user(token->userID);
    if (!client.account) {
        client.send(QStringLiteral(":%1 NOTICE * :Login authentication failed").arg(server));
        client.socket->close(
            QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Login authentication failed"));
        return;
    }
    const SimUser& account = *client.account;
    const QString& nick = account.login;
    client.send(QStringList {
        QStringLiteral(":%1 001 %2 :Welcome, GLHF!").arg(server, nick),
        QStringLiteral(":%1 002 %2 :Your host is %1").arg(server, nick),
        QStringLiteral(":%1 003 %2 :This server is rather new").arg(server, nick),
        QStringLiteral(":%1 004 %2 :-").arg(server, nick),
        QStringLiteral(":%1 375 %2 :-").arg(server, nick),
        QStringLiteral(":%1 372 %2 :You are in a maze of twisty passages, all alike.").arg(server, nick),
        QStringLiteral(":%1 376 %2 :>").arg(server, nick),
    }
                    .join(QStringLiteral("\r\n")));
    client.send(QStringLiteral("@badge-info=;badges=;color=#9146FF;display-name=%1;emote-sets=0;"
                               "user-id=%2;user-type= :%3 GLOBALUSERSTATE")
                    .arg(account.displayName, account.userID, server));
}

void SimChatService::join(Client& client, const QString& channel)
{
    const QString& nick = client.account->login;
    client.channel = channel;
    client.send(QStringList {
        QStringLiteral(":%1!%1@%1.%2 JOIN #%3").arg(nick, server, channel),
        QStringLiteral(":%1.%2 353 %1 = #%3 :%1").arg(nick, server, channel),
        QStringLiteral(":%1.%2 366 %1 #%3 :End of /NAMES list").arg(nick, server, channel),
    }
                    .join(QStringLiteral("\r\n")));
    client.send(QStringList {
        QStringLiteral("@badge-info=;badges=%1;color=#9146FF;display-name=%2;emote-sets=0;mod=0;"
                       "subscriber=0;user-type= :%3 USERSTATE #%4")
            .arg(client.isBroadcaster() ? QStringLiteral("broadcaster/1") : QString(), client.account->displayName,
                server, channel),
        QStringLiteral("@emote-only=0;followers-only=-1;r9k=0;room-id=%1;slow=0;subs-only=0 "
                       ":%2 ROOMSTATE #%3")
            .arg(roomID(channel), server, channel),
    }
                    .join(QStringLiteral("\r\n")));
    recentMessages_.joined(channel, roomID(channel));
    emit clientJoined(channel);
}

void SimChatService::relayMessage(Client& sender, const QString& text)
{
    const SimUser account = *sender.account;
    const QString channel = sender.channel;
    const QString id = messageID();
    const QString badges = sender.isBroadcaster() ? QStringLiteral("broadcaster/1") : QString();
    // The service relays "/me text" as an action, emote positions counted in the text.
    const bool isAction = text.startsWith(u"/me ");
    const QString words = isAction ? text.sliced(4) : text;
    sender.send(QStringLiteral("@badge-info=;badges=%1;color=#9146FF;display-name=%2;emote-sets=0;"
                               "id=%3;mod=0;subscriber=0;user-type= :%4 USERSTATE #%5")
                    .arg(badges, account.displayName, id, server, channel));
    const QString relayed = QStringLiteral("@badge-info=;badges=%1;color=#9146FF;display-name=%2;emotes=%3;first-msg=0;"
                                           "flags=;id=%4;mod=0;returning-chatter=0;room-id=%5;subscriber=0;"
                                           "tmi-sent-ts=%6;turbo=0;user-id=%7;user-type= ")
                                .arg(badges, account.displayName, emotesTag(words, model_.emotes()), id,
                                    roomID(channel), now(), account.userID) +
        QStringLiteral(":%1!%1@%1.%2 PRIVMSG #%3 :").arg(account.login, server, channel) +
        (isAction ? QStringLiteral("\u0001ACTION ") + words + QChar(u'\u0001') : words);
    recentMessages_.remember(channel, relayed);
    QWebSocket* senderSocket = sender.socket.get();
    forEachJoined([&](Client& client) {
        if (client.socket.get() != senderSocket && client.channel == channel)
            client.send(relayed);
    });
}

void SimChatService::ping()
{
    if (stalled_)
        return;
    for (const auto& client : clients_)
        if (client->account)
            client->send(QStringLiteral("PING :") + server);
}

void SimChatService::remove(QWebSocket* socket)
{
    const auto it = std::find_if(
        clients_.begin(), clients_.end(), [socket](const auto& client) { return client->socket.get() == socket; });
    if (it == clients_.end())
        return;
    socket->disconnect(this);
    (*it)->socket.release()->deleteLater();
    clients_.erase(it);
    emit connectionClosed();
}

SimChatService::Client* SimChatService::find(QWebSocket* socket)
{
    for (const auto& client : clients_)
        if (client->socket.get() == socket)
            return client.get();
    return nullptr;
}

} // namespace parley::sim
