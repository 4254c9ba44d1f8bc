#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace parley::sim {

// An emote the chat generator may put into messages: its catalogue id and the
// word that shows it.
struct SimChatEmote {
    QString id;
    QString name;
};

// One generated line and whether it is a chat message (PRIVMSG).
struct SimChatLine {
    QString text;
    bool isChatMessage = false;
};

// Generates the chat of one busy channel, as the chat service sends it: chat
// messages from a cast of chatters with colours, badges, replies, first-time
// chatters and emotes (positions counted in code points, some messages with
// emoji before the emotes), and now and then a room state change, a
// subscription notice or a timeout. Deterministic for a given seed.
class SimChatTraffic {
public:
    SimChatTraffic(QString channel, QString roomID, QList<SimChatEmote> emotes, quint32 seed = 1);

    SimChatLine nextLine();

    // `count` chat messages as frames of `linesPerFrame` chat messages each,
    // with whatever other lines fall between them.
    QStringList frames(int count, int linesPerFrame);

private:
    struct Chatter {
        QString login;
        QString displayName;
        QString userID;
        QString color;
        QString badges;
        QString badgeInfo;
        bool isModerator;
        bool isSubscriber;
        bool isVip;
    };

    QString chatMessage();
    QString messageText(const QString& prefix, QString& emotesTag);
    QString roomStateChange();
    QString subscriptionNotice();
    QString timeout();
    QString newID();
    QString sentTimestamp() const;
    const Chatter& someChatter();

    QString channel_;
    QString roomID_;
    QList<SimChatEmote> emotes_;
    QList<Chatter> cast_;
    QStringList recentIDs_;
    QRandomGenerator random_;
    qint64 lineCount_ = 0;
};

} // namespace parley::sim
