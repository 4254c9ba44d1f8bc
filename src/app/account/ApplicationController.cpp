#include "app/account/ApplicationController.h"

#include "app/account/AccountError.h"
#include "credentials/CredentialStoreStatus.h"
#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/WhenFinished.h"
#include "platform/FailedFuture.h"

#include <QPromise>
#include <QScopeGuard>


namespace parley {

namespace {

void logEvent(const QString& event, const QString& detail)
{
    Diagnostics::write(QStringLiteral("ApplicationController.") + event + QStringLiteral(": ") + detail);
}

bool isRefusedToken(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TwitchError& twitchError) {
        return twitchError.code() == TwitchError::Code::invalidAccessToken;
    } catch (...) {
        return false;
    }
}

template <typename T>
std::exception_ptr failureOf(QFuture<T> future)
{
    try {
        future.waitForFinished();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

} // namespace

ApplicationController::ApplicationController(BundleConfig config, TwitchAPI twitch,
    std::shared_ptr<CredentialStore> keychain, std::shared_ptr<QSettings> userDefaults, SessionFactory makeSession,
    QObject* parent)
    : QObject(parent)
    , config_(std::move(config))
    , twitch_(std::move(twitch))
    , makeSession_(std::move(makeSession))
    , storage_(std::move(keychain))
    , themeSettings_(std::move(userDefaults))
{
    // A sign-in window shows this URL from the start; every accepted redirect
    // makes way for a fresh attempt.
    attempt_.emplace(twitch_);
    validationTimer_.setInterval(defaultValidationInterval);
    connect(&validationTimer_, &QTimer::timeout, this, &ApplicationController::validateSession);
    connect(&themeSettings_, &ThemeSettings::themeChanged, this, &ApplicationController::themeChanged);
    restoreAccessToken();
}

QUrl ApplicationController::authorizationURL() const
{
    return attempt_ ? attempt_->authorizationURL() : QUrl();
}

QUrl ApplicationController::startSignIn()
{
    setAttempt(SignInAttempt(twitch_));
    return attempt_->authorizationURL();
}

void ApplicationController::handleRedirect(const QUrl& redirectURL)
{
    authenticate(redirectURL);
}

QFuture<void> ApplicationController::authenticate(const QUrl& redirectURL)
{
    const std::optional<QString> refusal = attempt_ ? attempt_->refusal(redirectURL, twitch_)
                                                    : QStringLiteral("no sign-in is pending");
    if (refusal) {
        // The redirect is not logged: it may carry someone's token.
        logEvent(QStringLiteral("redirectIgnored"), *refusal);
        return failedFuture(IgnoredRedirectError(*refusal));
    }
    // One redirect per attempt: a replay finds a new state pending.
    setAttempt(SignInAttempt(twitch_));
    if (++authenticationsRunning_ == 1)
        emit isAuthenticatingChanged();
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    // A refusal (the user declined) carries no token.
    const std::optional<QString> token = TwitchAPI::accessToken(redirectURL);
    if (!token) {
        const bool declined = TwitchAPI::redirectValue(redirectURL, u"error") == QLatin1String("access_denied");
        failSignIn(*promise,
            std::make_exception_ptr(declined ? AccountError::signInCancelled() : AccountError::signInNotCompleted()));
        authenticationEnded();
        promise->finish();
        return promise->future();
    }
    const quint64 action = ++lastAction_;
    whenFinished(twitch_.validate(*token), this, [this, promise, action](QFuture<TwitchUserAccessToken> validated) {
        const auto ended = qScopeGuard([this, promise] {
            authenticationEnded();
            promise->finish();
        });
        const std::exception_ptr error = failureOf(validated);
        // A logout since then wins, and nothing is said of this attempt.
        if (action != lastAction_) {
            if (error)
                promise->setException(error);
            return;
        }
        if (error)
            return failSignIn(*promise, error);
        const TwitchUserAccessToken accessToken = validated.result();
        if (!isMadeForParley(accessToken.info))
            return failSignIn(*promise, std::make_exception_ptr(AccountError::notMadeForParley()));
        finishSignIn(accessToken);
    });
    return promise->future();
}

QFuture<void> ApplicationController::logout()
{
    ++lastAction_;
    const quint64 action = lastAction_;
    const std::optional<QString> token = sessionToken_ ? std::optional<QString>(sessionToken_->token) : std::nullopt;
    setState(ApplicationState::needsAuthentication());

    // The revoke and the deletes run side by side: a slow identity service
    // must not keep the token in the keyring, nor a locked keyring keep it valid.
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    auto pending = std::make_shared<int>(token ? 2 : 1);
    const auto settled = [promise, pending] {
        if (--*pending == 0)
            promise->finish();
    };
    if (token)
        whenFinished(twitch_.revoke(*token), this, [settled](QFuture<void> revoked) {
            if (const std::exception_ptr error = failureOf(revoked))
                logEvent(QStringLiteral("revokeFailed"), describe(error));
            settled();
        });
    whenFinished(storage_.clear(), this, [this, action, settled](QFuture<qint32> deleted) {
        const qint32 status = deleted.result();
        // The token is still stored: say so, unless a sign-in since replaced it.
        if (status != CredentialStoreStatus::success && action == lastAction_)
            emit errors(std::make_exception_ptr(AccountError::keyringRemoveFailed(status)));
        settled();
    });
    return promise->future();
}

void ApplicationController::setThemeOptions(const ThemeOptions& options)
{
    themeSettings_.setThemeOptions(options);
}

std::chrono::milliseconds ApplicationController::validationInterval() const
{
    return validationTimer_.intervalAsDuration();
}

void ApplicationController::setValidationInterval(std::chrono::milliseconds interval)
{
    validationTimer_.setInterval(interval);
}

void ApplicationController::restoreAccessToken()
{
    const quint64 action = lastAction_;
    whenFinished(storage_.read(), this, [this, action](QFuture<AccessTokenStorage::Stored> result) {
        const AccessTokenStorage::Stored stored = result.result();
        // A sign-in or logout since then is newer than what was stored.
        if (action != lastAction_ || !stored.hasItems)
            return finishRestoring();
        // A lone item or an unreadable info cannot sign anyone in.
        if (!stored.accessToken) {
            storage_.clear();
            return finishRestoring();
        }
        validateRestored(*stored.accessToken, action);
    });
}

void ApplicationController::validateRestored(const TwitchUserAccessToken& stored, quint64 action)
{
    whenFinished(
        twitch_.validate(stored.token), this, [this, stored, action](QFuture<TwitchUserAccessToken> validated) {
            const auto finished = qScopeGuard([this] { finishRestoring(); });
            if (action != lastAction_)
                return;
            if (const std::exception_ptr error = failureOf(validated)) {
                if (isRefusedToken(error))
                    return endSession(error);
                // The chat's own login will tell if the token is bad.
                logEvent(QStringLiteral("validationFailed"), describe(error));
                return startSession(stored);
            }
            if (!isMadeForParley(validated.result().info))
                return endSession(std::make_exception_ptr(AccountError::notMadeForParley()));
            startSession(validated.result());
        });
}

void ApplicationController::finishRestoring()
{
    isRestoring_ = false;
    emit isRestoringChanged();
}

void ApplicationController::finishSignIn(const TwitchUserAccessToken& accessToken)
{
    storeAccessToken(accessToken);
    startSession(accessToken);
}

void ApplicationController::validateSession()
{
    if (!sessionToken_)
        return;
    const quint64 action = lastAction_;
    const quint64 session = sessionsStarted_;
    whenFinished(twitch_.validate(sessionToken_->token), this,
        [this, action, session](QFuture<TwitchUserAccessToken> validated) {
            if (action != lastAction_ || session != sessionsStarted_)
                return;
            const std::exception_ptr error = failureOf(validated);
            if (error && isRefusedToken(error))
                endSession(error);
            else if (error)
                logEvent(QStringLiteral("validationFailed"), describe(error));
        });
}

void ApplicationController::endSession(const std::exception_ptr& reason)
{
    setState(ApplicationState::needsAuthentication());
    storage_.clear();
    emit errors(reason);
}

void ApplicationController::storeAccessToken(const TwitchUserAccessToken& accessToken)
{
    const quint64 action = lastAction_;
    whenFinished(storage_.store(accessToken), this, [this, action](QFuture<qint32> result) {
        const qint32 status = result.result();
        if (status != CredentialStoreStatus::success && action == lastAction_)
            emit errors(std::make_exception_ptr(AccountError::keyringSaveFailed(status)));
    });
}

bool ApplicationController::isMadeForParley(const TwitchUserAccessToken::Info& info) const
{
    return info.clientID == config_.twitchClientID && info.scopes.contains(TwitchAuthScope::chatRead) &&
        info.scopes.contains(TwitchAuthScope::chatEdit);
}

void ApplicationController::startSession(const TwitchUserAccessToken& accessToken)
{
    ++sessionsStarted_;
    sessionToken_ = accessToken;
    setState(ApplicationState::authenticated(makeSession_(twitch_, accessToken)));
    validationTimer_.start();
}

void ApplicationController::setState(ApplicationState state)
{
    if (!state.isAuthenticated()) {
        sessionToken_.reset();
        validationTimer_.stop();
    }
    // The old state, and with it the old session, is released here.
    state_ = std::move(state);
    emit stateChanged();
}

void ApplicationController::setAttempt(std::optional<SignInAttempt> attempt)
{
    attempt_ = std::move(attempt);
    emit authorizationURLChanged();
}

void ApplicationController::failSignIn(QPromise<void>& promise, const std::exception_ptr& error)
{
    promise.setException(error);
    emit signInFailed(error);
}

void ApplicationController::authenticationEnded()
{
    if (--authenticationsRunning_ == 0)
        emit isAuthenticatingChanged();
}

} // namespace parley
