#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <optional>
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

// Generates the chat of one busy channel in the live service's dialect: chat
// messages from a cast of chatters (moderators with user type "mod") with
// colours, badges, replies (live keys, escaped bodies), /me actions,
// first-time chatters and emotes, other channels' emotes included (positions
// counted in code points, some messages with emoji before the emotes); and
// now and then a partial room state, a channel event (sub, resub, gift,
// mystery gift, raid, announcement), a deleted message, a timeout, a ban or a
// cleared chat. Messages also use `communityWords`, the community services'
// emote names, which carry no emote tag. Deterministic for a given seed.
class SimChatTraffic {
public:
    SimChatTraffic(QString channel, QString roomID, QList<SimChatEmote> emotes, quint32 seed = 1,
        QStringList communityWords = {});

    SimChatLine nextLine();

    // `count` chat messages as frames of `linesPerFrame` chat messages each,
    // with whatever other lines fall between them.
    QStringList frames(int count, int linesPerFrame);
    // The login of the generated chatter `userID`; none for others.
    std::optional<QString> loginOf(const QString& userID) const;

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
    QString userNotice();
    QString userNoticeTags(
        const Chatter& chatter, const QString& kind, const QString& systemMessage, const QString& emotesTag);
    QString deletion();
    QString timeoutOrBan();
    QString chatCleared();
    QString newID();
    QString sentTimestamp() const;
    const Chatter& someChatter();

    QString channel_;
    QString roomID_;
    QList<SimChatEmote> emotes_;
    QStringList communityWords_;
    QList<Chatter> cast_;
    QStringList recentIDs_;
    QRandomGenerator random_;
    qint64 lineCount_ = 0;
};

} // namespace parley::sim
