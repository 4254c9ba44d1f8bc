#pragma once

#include "twitch-sim/HttpReply.h"
#include "twitch-sim/SimRequest.h"

#include <QHash>
#include <QList>
#include <QString>

namespace parley::sim {

// The stand-in of the recent chat service,
// /recent-messages/api/v2/recent-messages/LOGIN?limit=N. It keeps the last
// chat lines the chat service sent to each channel (chatters' messages,
// channel events, moderators' removals) and serves them as the service does:
// {"messages": [...], "error": ..., "error_code": ...}, oldest first, each
// with "historical=1" and "rm-received-ts" added, after one line a moderator
// deleted ("rm-deleted=1"). A channel nobody joined yet answers
// "channel_not_joined" with no lines; a name that is no login, 400
// "invalid_channel_login".
class SimRecentMessages {
public:
    static bool handles(const QString& path);
    // The service's own answer for a status a fault puts in its place: 403
    // "channel_ignored", 400 "invalid_channel_login", else a server error.
    static HttpReply failure(int status);

    void joined(const QString& channel, const QString& roomID);
    // Keeps the chat lines of `frame`, sent to `channel`.
    void remember(const QString& channel, const QString& frame);
    HttpReply route(const SimRequest& request) const;

    static constexpr qsizetype capacity = 800;

private:
    struct Line {
        QString text;
        qint64 receivedAt; // milliseconds since 1970
    };
    struct Channel {
        QString roomID;
        qint64 joinedAt = 0;
        QList<Line> lines;
    };

    QString deletedLine(const QString& login, const Channel& channel) const;

    QHash<QString, Channel> channels_; // by login
};

} // namespace parley::sim
