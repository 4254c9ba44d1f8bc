#pragma once

#include "app/account/AccessTokenStorage.h"
#include "app/account/ApplicationState.h"
#include "app/account/BundleConfig.h"
#include "app/account/SignInAttempt.h"
#include "app/account/ThemeSettings.h"
#include "app/theme/Theme.h"
#include "credentials/CredentialStore.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QFuture>
#include <QObject>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace parley {

// Makes the session of a signed-in user. The launch code provides it: the
// session is built on layers above this one, which therefore knows it only by
// name. The returned pointer's deleter is the one the session is released
// with (deleteLater suits a QObject).
using SessionFactory = std::function<std::shared_ptr<SessionController>(
    const TwitchAPI& twitch, const TwitchUserAccessToken& accessToken)>;

// The one owner of the account state: signed in or out, the running session,
// the current theme and whether a sign-in is being completed. It restores a
// stored sign-in at start, completes a sign-in from the browser's redirect,
// logs out, and applies and stores the theme options.
//
// Sign-in: the pending attempt's authorisation URL carries a fresh state;
// only a redirect that brings it back to the registered address is looked at,
// once (startSignIn() replaces the attempt). Others are ignored with a log line. A validated token
// must have been made for this client id with chat:read and chat:edit.
//
// Restoring: a stored token is validated before its session starts, so the
// chat never connects with a token the service refuses; `isRestoring` stays
// true until that is settled (the shell shows no sign-in screen meanwhile). A
// network failure keeps the stored sign-in; a 401, then or at the hourly
// check while signed in, ends it: the items go, the state becomes
// needsAuthentication and `errors` carries TwitchError::invalidAccessToken.
//
// Main thread only. The stored items follow the user's last action: a logout
// drops any sign-in still being validated, and a sign-in that finishes after
// a logout is stored after the logout's deletes (AccessTokenStorage keeps
// the order).
class ApplicationController : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::ApplicationState state READ state NOTIFY stateChanged)
    Q_PROPERTY(parley::Theme theme READ theme NOTIFY themeChanged)
    Q_PROPERTY(bool isAuthenticating READ isAuthenticating NOTIFY isAuthenticatingChanged)
    Q_PROPERTY(bool isRestoring READ isRestoring NOTIFY isRestoringChanged)
    Q_PROPERTY(QUrl authorizationURL READ authorizationURL NOTIFY authorizationURLChanged)

public:
    // How often the token of a signed-in user is validated again.
    static constexpr std::chrono::milliseconds defaultValidationInterval = std::chrono::hours(1);

    // Starts restoring the stored sign-in and loads the stored theme options
    // from `userDefaults`.
    ApplicationController(BundleConfig config, TwitchAPI twitch, std::shared_ptr<CredentialStore> keychain,
        std::shared_ptr<QSettings> userDefaults, SessionFactory makeSession, QObject* parent = nullptr);

    const ApplicationState& state() const { return state_; }
    const Theme& theme() const { return themeSettings_.theme(); }
    // The theme alone, for the windows that follow it.
    ThemeSettings& themeSettings() { return themeSettings_; }
    bool isAuthenticating() const { return authenticationsRunning_ > 0; }
    bool isRestoring() const { return isRestoring_; }
    // The URL the pending sign-in opens in the browser. One attempt is pending
    // from the start; startSignIn() and every accepted redirect replace it.
    QUrl authorizationURL() const;
    const TwitchAPI& twitch() const { return twitch_; }
    const BundleConfig& config() const { return config_; }
    const std::shared_ptr<CredentialStore>& keychain() const { return storage_.keyring(); }
    AccessTokenStorage& accessTokenStorage() { return storage_; }

    // Starts a sign-in attempt with a fresh state, replacing any pending one,
    // and returns its authorisation URL for the browser.
    QUrl startSignIn();
    // Completes a sign-in from a URL the system handed to the application;
    // a failure is announced by signInFailed.
    void handleRedirect(const QUrl& redirectURL);
    // A redirect that is not the pending sign-in's fails with
    // IgnoredRedirectError, is never validated and announces nothing (it may
    // be a replay). Otherwise the attempt ends: the token is taken from the
    // redirect, validated, checked, stored, and its session started. A
    // declined sign-in or a redirect without a token, a token for another
    // client or without the chat scopes fail with AccountError; a validation
    // failure fails with its error. Each failure is also sent to signInFailed
    // and changes nothing else.
    QFuture<void> authenticate(const QUrl& redirectURL);
    // Returns to needsAuthentication at once, revokes the session's token at
    // the identity service (a failure is only logged) and deletes the stored
    // items. Finishes when both are done; a failed delete is sent to `errors`.
    QFuture<void> logout();
    // Publishes the theme built from `options`, then stores them.
    void setThemeOptions(const ThemeOptions& options);

    std::chrono::milliseconds validationInterval() const;
    void setValidationInterval(std::chrono::milliseconds interval);

signals:
    void stateChanged();
    void themeChanged();
    void isAuthenticatingChanged();
    void isRestoringChanged();
    void authorizationURLChanged();
    // A sign-in the user started did not succeed; the sign-in screen says why.
    void signInFailed(const std::exception_ptr& error);
    // Errors for the user: the account layer's own (an ended session, a
    // keyring failure), and anyone holding the controller
    // may send more.
    void errors(const std::exception_ptr& error);

private:
    void restoreAccessToken();
    void validateRestored(const TwitchUserAccessToken& stored, quint64 action);
    void finishRestoring();
    void finishSignIn(const TwitchUserAccessToken& accessToken);
    void validateSession();
    void endSession(const std::exception_ptr& reason);
    void storeAccessToken(const TwitchUserAccessToken& accessToken);
    bool isMadeForParley(const TwitchUserAccessToken::Info& info) const;
    void startSession(const TwitchUserAccessToken& accessToken);
    void setState(ApplicationState state);
    void setAttempt(std::optional<SignInAttempt> attempt);
    void authenticationEnded();
    void failSignIn(QPromise<void>& promise, const std::exception_ptr& error);

    const BundleConfig config_;
    const TwitchAPI twitch_;
    const SessionFactory makeSession_;
    AccessTokenStorage storage_;
    ApplicationState state_;
    // Counts the user's sign-ins and logouts, so work that finishes after a
    // newer one changes nothing.
    quint64 lastAction_ = 0;
    std::optional<SignInAttempt> attempt_;
    // The token of the running session, and a count of the sessions started,
    // so a check of an earlier session's token ends nothing.
    std::optional<TwitchUserAccessToken> sessionToken_;
    quint64 sessionsStarted_ = 0;
    QTimer validationTimer_;
    ThemeSettings themeSettings_;
    int authenticationsRunning_ = 0;
    bool isRestoring_ = true;
};

} // namespace parley
