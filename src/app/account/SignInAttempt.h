#pragma once

#include "twitch/api/TwitchAPI.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// One sign-in the user started. Its authorisation URL carries a fresh,
// unguessable "state"; only a redirect that brings that state back, at the
// registered redirect address, belongs to it. Anything else (a page that sends
// the browser to Parley with a token of its own choosing, a replayed or an
// older redirect) is not this sign-in. Kept in memory only.
class SignInAttempt {
public:
    // Asks for requestedScopes().
    explicit SignInAttempt(const TwitchAPI& twitch);

    // Reading and writing chat, deleting messages and banning users. A
    // stored token with the chat scopes alone still signs in; only
    // moderation then asks to sign in again.
    static QSet<TwitchAuthScope> requestedScopes();

    const QString& state() const { return state_; }
    const QUrl& authorizationURL() const { return authorizationURL_; }

    // Why `redirect` does not finish this sign-in; nothing when it does.
    std::optional<QString> refusal(const QUrl& redirect, const TwitchAPI& twitch) const;

    // 16 bytes from the system's cryptographic random source, base64url.
    static QString makeState();

private:
    QString state_;
    QUrl authorizationURL_;
};

} // namespace parley
