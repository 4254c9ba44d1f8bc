#pragma once

#include "community/CommunityEmoteServices.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QTest>

#include <gtest/gtest.h>

namespace parley::test {

constexpr int waitMs = 10000;

// A simulator on a free loopback port with the demo content, and a client
// and a token for its demo broadcaster.
class SimulatedTwitch {
public:
    SimulatedTwitch()
    {
        port = sim.start();
        api = std::make_unique<TwitchAPI>(
            endpoints(), QString::fromLatin1(sim::demo::clientID), QUrl(QStringLiteral("http://localhost:17563")));
    }

    TwitchEndpoints endpoints() const
    {
        TwitchEndpoints endpoints;
        endpoints.identityURL = sim.identityURL();
        endpoints.helixURL = sim.helixURL();
        endpoints.chatURL = sim.chatURL();
        return endpoints;
    }

    // The simulator's stand-ins of the community emote services.
    CommunityEmoteServices communityServices() const
    {
        return { sim.betterTTVAPIURL(), sim.betterTTVCDNURL(), sim.frankerFaceZAPIURL(), sim.sevenTVAPIURL() };
    }

    static TwitchUserAccessToken token()
    {
        TwitchUserAccessToken token;
        token.token = QString::fromLatin1(sim::demo::token);
        token.info.clientID = QString::fromLatin1(sim::demo::clientID);
        token.info.login = QString::fromLatin1(sim::demo::login);
        token.info.userID = QString::fromLatin1(sim::demo::userID);
        token.info.scopes = { TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit };
        token.info.expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600);
        return token;
    }

    // Requests served for one Helix emote path with this exact query.
    int helixRequests(const QString& path, const QString& query = {}) const
    {
        int count = 0;
        for (const sim::SimRequest& request : sim.requests())
            if (request.path == path && request.query == query)
                ++count;
        return count;
    }

    sim::TwitchSimulator sim;
    quint16 port = 0;
    std::unique_ptr<TwitchAPI> api;
};

inline const QString globalPath = QStringLiteral("/helix/chat/emotes/global");
inline const QString channelPath = QStringLiteral("/helix/chat/emotes");
inline const QString setPath = QStringLiteral("/helix/chat/emotes/set");

} // namespace parley::test
