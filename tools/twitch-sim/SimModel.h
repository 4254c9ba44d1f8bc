#pragma once

#include "twitch-sim/SimCommunityEmote.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace parley::sim {

// A Twitch account the simulator knows.
struct SimUser {
    QString userID;
    QString login;
    QString displayName;
    // The emote sets the user may use in chat (global set "0" included).
    QStringList emoteSetIDs;
};

// An access token the identity service and Helix accept.
struct SimToken {
    QString token;
    QString clientID;
    QString userID;
    QStringList scopes;
    int expiresIn = 14400;
};

// One emote of the catalogue. Global emotes belong to set "0" and owner "0".
struct SimEmote {
    QString id;
    QString name;
    QString setID;
    QString ownerID;
    QString emoteType; // "globals", "subscriptions", "follower"
    QString tier; // "1000", "2000", "3000" for subscriptions, else empty
    bool animated = false;

    bool isGlobal() const { return setID == QLatin1String("0"); }
};

// The fixed names of the demo content every simulator starts with.
namespace demo {
inline constexpr char clientID[] = "parley-sim-client";
inline constexpr char token[] = "parley-sim-token";
inline constexpr char readOnlyToken[] = "parley-sim-token-readonly";
// The demo user's token from before Parley moderated: the chat scopes only.
inline constexpr char chatOnlyToken[] = "parley-sim-token-chat-only";
// A token of the demo user made for another application.
inline constexpr char foreignToken[] = "parley-sim-token-foreign";
inline constexpr char foreignClientID[] = "other-app-client";
inline constexpr char login[] = "parley_demo";
inline constexpr char userID[] = "100000001";
inline constexpr char otherChannelLogin[] = "sim_streamer";
inline constexpr char otherChannelUserID[] = "100000002";
} // namespace demo

// What the simulated Twitch knows: accounts, tokens and the emote catalogue.
// Shared by the simulator's services; tests change it to stage a scenario.
class SimModel {
public:
    // A model with the demo accounts, tokens and emotes.
    static SimModel demoContent();

    void addUser(SimUser user);
    void addToken(SimToken token);
    void revokeToken(const QString& token);
    void grantToken(const QString& token);
    void addEmote(SimEmote emote);
    void addCommunityEmote(SimCommunityEmote emote);

    std::optional<SimUser> user(const QString& userID) const;
    std::optional<SimUser> userByLogin(const QString& login) const;
    std::optional<SimToken> token(const QString& token) const;
    std::optional<SimEmote> emote(const QString& id) const;

    const QList<SimEmote>& emotes() const { return emotes_; }
    QList<SimEmote> globalEmotes() const;
    QList<SimEmote> channelEmotes(const QString& broadcasterID) const;
    QList<SimEmote> emoteSet(const QString& setID) const;

    const QList<SimCommunityEmote>& communityEmotes() const { return communityEmotes_; }
    std::optional<SimCommunityEmote> communityEmote(SimCommunityEmote::Service service, const QString& id) const;
    // A service's global emotes (empty `channelID`) or one channel's.
    QList<SimCommunityEmote> communityEmotes(SimCommunityEmote::Service service, const QString& channelID) const;

private:
    QList<SimUser> users_;
    QList<SimToken> tokens_;
    QList<SimToken> revoked_;
    QList<SimEmote> emotes_;
    QList<SimCommunityEmote> communityEmotes_;
};

} // namespace parley::sim
