#pragma once

#include <QString>
#include <QUrl>

namespace parley {

// Where the Twitch services live. Defaults to the real service; the bundle
// configuration or a test points them elsewhere (the local simulator).
struct TwitchEndpoints {
    QUrl identityURL { QStringLiteral("https://id.twitch.tv") };
    QUrl helixURL { QStringLiteral("https://api.twitch.tv") };
    QUrl chatURL { QStringLiteral("wss://irc-ws.chat.twitch.tv:443") };
    QString capabilityNamespace { QStringLiteral("twitch.tv") };
    QString webDomain { QStringLiteral("twitch.tv") };

    friend bool operator==(const TwitchEndpoints&, const TwitchEndpoints&) = default;
};

} // namespace parley
