#pragma once

#include "twitch-sim/HttpReply.h"
#include "twitch-sim/SimModel.h"
#include "twitch-sim/SimRequest.h"

#include <QSet>
#include <QString>

namespace parley::sim {

class SimChatService;

// The Helix moderation endpoints, as Twitch answers them: DELETE
// /helix/moderation/chat (one message, or the whole chat without
// message_id), POST /helix/moderation/bans (a ban, or a timeout with a
// duration) and DELETE /helix/moderation/bans. The token must carry the
// endpoint's scope (401 "Missing scope: ...") and moderator_id must be the
// token's user, moderating their own channel. It keeps who is banned or timed
// out (400 for a second ban, a timeout of a banned user, an unban of someone
// who is neither) and has the chat service announce each action in the
// channel (CLEARMSG, CLEARCHAT).
class SimModeration {
public:
    explicit SimModeration(SimChatService& chat) : chat_(chat) { }

    static bool handles(const QString& path);
    HttpReply route(const SimRequest& request, const SimToken& token, const SimModel& model);

    bool isBanned(const QString& broadcasterID, const QString& userID) const
    {
        return banned_.contains(key(broadcasterID, userID));
    }

private:
    static QString key(const QString& broadcasterID, const QString& userID) { return broadcasterID + u'/' + userID; }

    HttpReply deleteMessage(const SimRequest& request, const QString& channel);
    HttpReply ban(const SimRequest& request, const QString& broadcasterID, const QString& channel);
    HttpReply unban(const SimRequest& request, const QString& broadcasterID, const QString& channel);
    void announceClearChat(const QString& broadcasterID, const QString& channel, const QString& userID,
        const QString& tags);

    SimChatService& chat_;
    QSet<QString> banned_; // broadcaster/user
    QSet<QString> timedOut_;
};

} // namespace parley::sim
