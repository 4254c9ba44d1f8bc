#pragma once

#include "platform/JsonReader.h"
#include "twitch/api/TwitchAuthScope.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSet>
#include <QString>

namespace parley {

// An OAuth access token with what the identity service said about it.
struct TwitchUserAccessToken {
    // The validation answer. Its JSON form is the service's, except that the
    // service's "expires_in" counts seconds from now while the stored form
    // (toJson, fromStoredJson) keeps seconds since 2001-01-01 UTC there.
    // Scopes Parley has no use for are left out: a token may carry any.
    struct Info {
        QString clientID;
        QString login;
        QSet<TwitchAuthScope> scopes;
        QString userID;
        QDateTime expiresAt;

        // The identity service's validation answer.
        static Info fromJson(const JsonReader& json);
        // What toJson wrote.
        static Info fromStoredJson(const JsonReader& json);
        QJsonObject toJson() const;

        friend bool operator==(const Info&, const Info&) = default;
    };

    // The bare token, without "oauth:" or "Bearer ". Never log it.
    QString token;
    Info info;

    friend bool operator==(const TwitchUserAccessToken&, const TwitchUserAccessToken&) = default;
};

} // namespace parley
