#pragma once

#include "credentials/CredentialStore.h"
#include "platform/SerialQueue.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace parley {

// The stored sign-in: the access token and its validation info, two items in
// the keyring. Every operation runs on one worker thread in the order it was
// asked for, so the main thread never waits on D-Bus and the stored items
// follow the caller's last request (a clear asked after a store runs after it).
class AccessTokenStorage {
public:
    static inline const QString tokenKey = QStringLiteral("accessToken.token");
    static inline const QString infoKey = QStringLiteral("accessToken.info");

    // What a read found: nothing, a token with readable info, or items that
    // cannot sign anyone in (a lone item, unreadable info).
    struct Stored {
        bool hasItems = false;
        std::optional<TwitchUserAccessToken> accessToken;
    };

    explicit AccessTokenStorage(std::shared_ptr<CredentialStore> keyring);
    // Waits for the work already asked for, so that a clear just before
    // quitting still removes the token.
    ~AccessTokenStorage();

    QFuture<Stored> read();
    // Answers the keyring's status (CredentialStoreStatus).
    QFuture<qint32> store(const TwitchUserAccessToken& accessToken);
    // Answers the status of the first delete that failed (a missing item is
    // not a failure), or success.
    QFuture<qint32> clear();
    // The account names of the items that exist.
    QFuture<QStringList> storedItems();

    const std::shared_ptr<CredentialStore>& keyring() const { return keyring_; }

private:
    template <typename Result>
    QFuture<Result> onKeyring(std::function<Result(CredentialStore&)> work);

    const std::shared_ptr<CredentialStore> keyring_;
    SerialQueue queue_;
};

} // namespace parley
