#include "app/account/ApplicationController.h"

#include "twitch/DecodingError.h"
#include "twitch/api/JsonReader.h"

#include <QJsonDocument>
#include <QPromise>
#include <QScopeGuard>

#include <type_traits>

namespace parley {

ApplicationController::ApplicationController(BundleConfig config, TwitchAPI twitch,
                                             std::shared_ptr<CredentialStore> keychain,
                                             std::shared_ptr<QSettings> userDefaults, SessionFactory makeSession,
                                             QObject* parent)
    : QObject(parent)
    , config_(std::move(config))
    , twitch_(std::move(twitch))
    , keychain_(std::move(keychain))
    , userDefaults_(std::move(userDefaults))
    , makeSession_(std::move(makeSession))
    , authorizationURL_(twitch_.authorizationURL({ TwitchAuthScope::chatEdit, TwitchAuthScope::chatRead }))
    , keychainQueue_(QStringLiteral("ApplicationController.keychain"))
    , theme_(defaultTheme())
{
    restoreAccessToken();
    setTheme(makeTheme(loadThemeOptions(*userDefaults_)));
}

ApplicationController::~ApplicationController()
{
    keychainQueue_.sync([] { });
}

void ApplicationController::handleRedirect(const QUrl& redirectURL)
{
    authenticate(redirectURL);
}

QFuture<void> ApplicationController::authenticate(const QUrl& redirectURL)
{
    if (++authenticationsRunning_ == 1)
        Q_EMIT isAuthenticatingChanged();
    using Validated = QFuture<std::optional<TwitchUserAccessToken>>;
    return twitch_.userAccessToken(redirectURL)
        .then(this, [this](Validated validated) {
            const auto ended = qScopeGuard([this] { authenticationEnded(); });
            if (const std::optional<TwitchUserAccessToken> token = validated.result()) {
                storeAccessToken(*token);
                startSession(*token);
            }
        })
        .onCanceled(this, [this] { authenticationEnded(); });
}

QFuture<void> ApplicationController::logout()
{
    return clearStoredAccessToken().then(this, [this] { setState(ApplicationState::needsAuthentication()); });
}

void ApplicationController::setThemeOptions(const ThemeOptions& options)
{
    setTheme(makeTheme(options));
    storeThemeOptions(*userDefaults_, options);
}

QFuture<QStringList> ApplicationController::storedAccessTokenItems()
{
    return onKeychain<QStringList>([](CredentialStore& store) {
        QStringList accounts;
        for (const QString& key : { accessTokenKey, accessTokenInfoKey })
            if (store.getData(key))
                accounts.append(store.keyPrefix() + key);
        return accounts;
    });
}

template <typename Result>
QFuture<Result> ApplicationController::onKeychain(std::function<Result(CredentialStore&)> work)
{
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    keychainQueue_.async([keychain = keychain_, promise, work = std::move(work)] {
        if constexpr (std::is_void_v<Result>)
            work(*keychain);
        else
            promise->addResult(work(*keychain));
        promise->finish();
    });
    return future;
}

void ApplicationController::restoreAccessToken()
{
    const quint64 generation = stateGeneration_;
    onKeychain<StoredToken>([](CredentialStore& store) {
        StoredToken stored;
        stored.info = store.get(accessTokenInfoKey);
        if (stored.info)
            stored.token = store.get(accessTokenKey);
        return stored;
    }).then(this, [this, generation](const StoredToken& stored) {
        // A sign-in or logout that completed meanwhile is newer than what was stored.
        if (generation == stateGeneration_)
            finishRestoring(stored);
        isRestoring_ = false;
        Q_EMIT isRestoringChanged();
    });
}

void ApplicationController::finishRestoring(const StoredToken& stored)
{
    // A lone info item is left in place: the next sign-in replaces it.
    if (!stored.info || !stored.token)
        return;
    std::optional<TwitchUserAccessToken::Info> info;
    try {
        info = TwitchUserAccessToken::Info::fromJson(JsonReader::parse(stored.info->toUtf8()));
    } catch (const DecodingError&) {
        clearStoredAccessToken();
        return;
    }
    // Used without validation: an expired token shows as a failed chat
    // connection, and the user logs out.
    startSession({ *stored.token, *info });
}

void ApplicationController::storeAccessToken(const TwitchUserAccessToken& accessToken)
{
    const QString info = QString::fromUtf8(QJsonDocument(accessToken.info.toJson()).toJson(QJsonDocument::Compact));
    onKeychain<void>([token = accessToken.token, info](CredentialStore& store) {
        // Failures are ignored: the next launch finds no token and asks to sign in.
        store.set(token, accessTokenKey);
        store.set(info, accessTokenInfoKey);
    });
}

QFuture<void> ApplicationController::clearStoredAccessToken()
{
    return onKeychain<void>([](CredentialStore& store) {
        store.remove(accessTokenInfoKey);
        store.remove(accessTokenKey);
    });
}

void ApplicationController::startSession(const TwitchUserAccessToken& accessToken)
{
    setState(ApplicationState::authenticated(makeSession_(twitch_, accessToken)));
}

void ApplicationController::setState(ApplicationState state)
{
    ++stateGeneration_;
    // The old state, and with it the old session, is released here.
    state_ = std::move(state);
    Q_EMIT stateChanged();
}

void ApplicationController::setTheme(Theme theme)
{
    theme_ = std::move(theme);
    Q_EMIT themeChanged();
}

void ApplicationController::authenticationEnded()
{
    if (--authenticationsRunning_ == 0)
        Q_EMIT isAuthenticatingChanged();
}

} // namespace parley
