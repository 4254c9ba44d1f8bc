#pragma once

#include "app/account/ApplicationState.h"
#include "app/account/BundleConfig.h"
#include "app/theme/Theme.h"
#include "credentials/CredentialStore.h"
#include "platform/SerialQueue.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QFuture>
#include <QObject>
#include <QSettings>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace parley {

// Makes the session of a signed-in user. The launch code provides it: the
// session is built on layers above this one, which therefore knows it only by
// name. The returned pointer's deleter is the one the session is released
// with (deleteLater suits a QObject).
using SessionFactory = std::function<std::shared_ptr<SessionController>(const TwitchAPI& twitch,
                                                                        const TwitchUserAccessToken& accessToken)>;

// The one owner of the account state: signed in or out, the running session,
// the current theme and whether a sign-in is being completed. It restores a
// stored sign-in at start, completes a sign-in from the browser's redirect,
// logs out, and applies and stores the theme options.
//
// Main thread only. Credential-store work runs on one worker thread in the
// order it was asked for (a logout that follows a sign-in always ends with
// nothing stored), so the main thread never waits on D-Bus. Restoring the
// stored sign-in therefore completes just after construction: `isRestoring`
// is true until it has.
class ApplicationController : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::ApplicationState state READ state NOTIFY stateChanged)
    Q_PROPERTY(parley::Theme theme READ theme NOTIFY themeChanged)
    Q_PROPERTY(bool isAuthenticating READ isAuthenticating NOTIFY isAuthenticatingChanged)
    Q_PROPERTY(bool isRestoring READ isRestoring NOTIFY isRestoringChanged)
    Q_PROPERTY(QUrl authorizationURL READ authorizationURL CONSTANT)

public:
    static inline const QString accessTokenKey = QStringLiteral("accessToken.token");
    static inline const QString accessTokenInfoKey = QStringLiteral("accessToken.info");

    // Starts restoring the stored sign-in and loads the stored theme options
    // from `userDefaults`.
    ApplicationController(BundleConfig config, TwitchAPI twitch, std::shared_ptr<CredentialStore> keychain,
                          std::shared_ptr<QSettings> userDefaults, SessionFactory makeSession,
                          QObject* parent = nullptr);
    // Waits for the credential-store work already asked for, so that a logout
    // just before quitting still removes the stored token.
    ~ApplicationController() override;

    const ApplicationState& state() const { return state_; }
    const Theme& theme() const { return theme_; }
    bool isAuthenticating() const { return authenticationsRunning_ > 0; }
    bool isRestoring() const { return isRestoring_; }
    const QUrl& authorizationURL() const { return authorizationURL_; }
    const TwitchAPI& twitch() const { return twitch_; }
    const BundleConfig& config() const { return config_; }
    const std::shared_ptr<CredentialStore>& keychain() const { return keychain_; }

    // Completes a sign-in from a URL the system handed to the application;
    // failures end it silently.
    void handleRedirect(const QUrl& redirectURL);
    // Takes the token from the redirect, validates it, stores it and starts
    // its session. No token: nothing changes. Fails with the validation's
    // error, changing nothing.
    QFuture<void> authenticate(const QUrl& redirectURL);
    // Forgets the stored token, then returns to needsAuthentication.
    QFuture<void> logout();
    // Publishes the theme built from `options`, then stores them.
    void setThemeOptions(const ThemeOptions& options);

    // The account names of the stored token's items that exist, read after
    // every credential-store operation asked for before.
    QFuture<QStringList> storedAccessTokenItems();

Q_SIGNALS:
    void stateChanged();
    void themeChanged();
    void isAuthenticatingChanged();
    void isRestoringChanged();
    // Errors for the user; nothing in the account layer sends any, anyone
    // holding the controller may.
    void errors(const std::exception_ptr& error);

private:
    struct StoredToken {
        std::optional<QString> info;
        std::optional<QString> token;
    };

    template <typename Result>
    QFuture<Result> onKeychain(std::function<Result(CredentialStore&)> work);

    void restoreAccessToken();
    void finishRestoring(const StoredToken& stored);
    void storeAccessToken(const TwitchUserAccessToken& accessToken);
    QFuture<void> clearStoredAccessToken();
    void startSession(const TwitchUserAccessToken& accessToken);
    void setState(ApplicationState state);
    void setTheme(Theme theme);
    void authenticationEnded();

    const BundleConfig config_;
    const TwitchAPI twitch_;
    const std::shared_ptr<CredentialStore> keychain_;
    const std::shared_ptr<QSettings> userDefaults_;
    const SessionFactory makeSession_;
    const QUrl authorizationURL_;
    SerialQueue keychainQueue_;
    ApplicationState state_;
    // Counts state changes, so a restored token never replaces a state that
    // changed while it was being read.
    quint64 stateGeneration_ = 0;
    Theme theme_;
    int authenticationsRunning_ = 0;
    bool isRestoring_ = true;
};

} // namespace parley
