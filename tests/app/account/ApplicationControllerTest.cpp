#include "app/account/AccountTestSupport.h"

#include "app/account/AccountError.h"
#include "platform/Diagnostics.h"
#include "platform/ErrorPresenter.h"
#include "twitch/api/TwitchError.h"

#include <QSignalSpy>
#include <QUrlQuery>

using namespace parley;
using namespace parley::test;
using sim::HttpFault;

namespace {

using ApplicationControllerTest = AccountTest;

const QString sessionExpired = QStringLiteral("Your session has been expired. Please login to your account.");
const QString notForParley = QStringLiteral("This sign-in was not made for Parley. Please try again.");

// The redirect with one of its fragment items replaced.
QUrl withItem(QUrl redirect, const QString& name, const QString& value)
{
    QUrlQuery items(redirect.fragment(QUrl::FullyEncoded));
    items.removeAllQueryItems(name);
    items.addQueryItem(name, value);
    redirect.setFragment(items.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return redirect;
}

} // namespace

// --- Launch and restore --------------------------------------------------------

TEST_F(ApplicationControllerTest, FirstLaunchIsSignedOutWithTheDefaultTheme)
{
    auto controller = launch();
    EXPECT_TRUE(controller->isRestoring());
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_EQ(controller->theme(), defaultTheme());
    EXPECT_TRUE(QUrlQuery(controller->authorizationURL()).hasQueryItem(QStringLiteral("state")));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isRestoring(); }, timeout));
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(sessionsMade, 0);
    EXPECT_EQ(simulator.totalRequestCount(), 0);
    EXPECT_FALSE(userDefaults->contains(themeSettingsKey));
}

TEST_F(ApplicationControllerTest, AStoredTokenIsValidatedBeforeItsSessionStarts)
{
    storeToken(QString::fromLatin1(demo::token), demoInfo());
    auto controller = launch();
    int validationsWhenAuthenticated = -1;
    QObject::connect(controller.get(), &ApplicationController::stateChanged, [&] {
        EXPECT_TRUE(controller->isRestoring()) << "restoring ends only once the state is settled";
        validationsWhenAuthenticated = simulator.requestCount(QStringLiteral("/oauth2/validate"));
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isRestoring(); }, timeout));
    ASSERT_TRUE(controller->state().isAuthenticated());
    EXPECT_EQ(validationsWhenAuthenticated, 1);
    EXPECT_EQ(sessionsMade, 1);
    EXPECT_EQ(controller->state().session()->accessToken().token, QString::fromLatin1(demo::token));
    EXPECT_EQ(controller->state().session()->accessToken().info.login, QString::fromLatin1(demo::login));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ApplicationControllerTest, ARevokedStoredTokenEndsInSignInWithTheExpiredAlert)
{
    storeToken(QStringLiteral("revoked-token"), demoInfo());
    auto controller = launchAndRestore();
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(sessionsMade, 0) << "the chat never connects with a refused token";
    EXPECT_EQ(alerts, QStringList { sessionExpired });
    EXPECT_TRUE(storedItems(*controller).isEmpty());
}

TEST_F(ApplicationControllerTest, ANetworkFailureAtStartKeepsTheStoredSignInAndItsExpiry)
{
    TwitchUserAccessToken::Info info = demoInfo();
    info.expiresAt = QDateTime(QDate(2031, 5, 6), QTime(7, 8, 9), Qt::UTC);
    storeToken(QString::fromLatin1(demo::token), info);
    simulator.setFault(QStringLiteral("/oauth2/validate"), HttpFault::droppedAfter());
    DiagnosticsCapture log;

    auto controller = launchAndRestore();
    ASSERT_TRUE(controller->state().isAuthenticated());
    EXPECT_EQ(controller->state().session()->accessToken().info.expiresAt, info.expiresAt)
        << "stored as seconds since 2001, read back as the same instant";
    EXPECT_EQ(storedItems(*controller), bothItems());
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_TRUE(log.lines().filter(QStringLiteral("ApplicationController.validationFailed:")).size() == 1);
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(QString::fromLatin1(demo::token))) << line.toStdString();
}

TEST_F(ApplicationControllerTest, LoneAndUnreadableItemsAreRemovedAtStart)
{
    const auto launchWith = [&](const std::optional<QString>& token, const std::optional<QString>& info) {
        keychain->remove(AccessTokenStorage::tokenKey);
        keychain->remove(AccessTokenStorage::infoKey);
        if (token) {
            ASSERT_TRUE(keychain->set(*token, AccessTokenStorage::tokenKey));
        }
        if (info) {
            ASSERT_TRUE(keychain->set(*info, AccessTokenStorage::infoKey));
        }
        auto controller = launchAndRestore();
        EXPECT_FALSE(controller->state().isAuthenticated());
        EXPECT_TRUE(storedItems(*controller).isEmpty());
    };
    {
        SCOPED_TRACE("token without info");
        launchWith(QString::fromLatin1(demo::token), std::nullopt);
    }
    {
        SCOPED_TRACE("info without token");
        launchWith(std::nullopt, infoJson(demoInfo()));
    }
    {
        SCOPED_TRACE("info that does not decode");
        launchWith(QString::fromLatin1(demo::token), QStringLiteral("{\"login\": 7}"));
    }
    EXPECT_EQ(sessionsMade, 0);
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 0);
}

// --- Forged, replayed and foreign redirects --------------------------------------

TEST_F(ApplicationControllerTest, EveryAttemptCarriesAFreshStateAfterTheFourItems)
{
    auto controller = launchAndRestore();
    QSignalSpy urlChanges(controller.get(), &ApplicationController::authorizationURLChanged);
    const QUrl first = controller->startSignIn();
    const QUrl second = controller->startSignIn();
    EXPECT_EQ(controller->authorizationURL(), second);
    EXPECT_EQ(urlChanges.count(), 2);

    QStringList names;
    for (const auto& [name, value] : QUrlQuery(second).queryItems())
        names.append(name);
    EXPECT_EQ(names, (QStringList { "redirect_uri", "client_id", "response_type", "scope", "state" }));
    const QString state = QUrlQuery(second).queryItemValue(QStringLiteral("state"));
    EXPECT_NE(QUrlQuery(first).queryItemValue(QStringLiteral("state")), state);
    // 16 random bytes, base64url without padding.
    EXPECT_EQ(state.size(), 22);
    EXPECT_EQ(QByteArray::fromBase64(state.toLatin1(), QByteArray::Base64UrlEncoding).size(), 16);
}

TEST_F(ApplicationControllerTest, ForgedReplayedAndMismatchedRedirectsAreIgnoredUnvalidated)
{
    auto controller = launchAndRestore();
    DiagnosticsCapture log;
    QSignalSpy authenticating(controller.get(), &ApplicationController::isAuthenticatingChanged);
    const auto expectIgnored = [&](const QUrl& redirect, const char* what) {
        SCOPED_TRACE(what);
        QFuture<void> attempt = controller->authenticate(redirect);
        ASSERT_TRUE(attempt.isFinished());
        EXPECT_THROW(attempt.waitForFinished(), IgnoredRedirectError);
    };

    // A page that sends the browser to Parley with a token of its choosing.
    const QUrl forged(QStringLiteral("http://localhost:17563/#access_token=%1&scope=chat%3Aread+chat%3Aedit"
                                     "&token_type=bearer")
                          .arg(QString::fromLatin1(demo::token)));
    expectIgnored(forged, "no state, before any sign-in");
    const QUrl genuine = signInRedirect(*controller);
    expectIgnored(forged, "no state");
    expectIgnored(withItem(genuine, QStringLiteral("state"), SignInAttempt::makeState()), "another state");
    for (const char* address : { "http://localhost:17564/", "https://localhost:17563/", "http://evil.example:17563/",
             "http://localhost:17563/elsewhere" }) {
        QUrl moved(QString::fromLatin1(address));
        moved.setFragment(genuine.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
        expectIgnored(moved, address);
    }
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 0);
    EXPECT_EQ(authenticating.count(), 0);
    EXPECT_EQ(log.lines().filter(QStringLiteral("ApplicationController.redirectIgnored:")).size(), 7);

    controller->handleRedirect(genuine);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->state().isAuthenticated(); }, timeout));
    expectIgnored(genuine, "replayed");
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 1);
    EXPECT_TRUE(alerts.isEmpty());
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains(QString::fromLatin1(demo::token))) << line.toStdString();
}

TEST_F(ApplicationControllerTest, TokensOfAnotherClientOrWithoutBothChatScopesAreRefused)
{
    auto controller = launchAndRestore();
    QSignalSpy failures(controller.get(), &ApplicationController::signInFailed);
    for (const char* token : { demo::foreignToken, demo::readOnlyToken }) {
        SCOPED_TRACE(token);
        failures.clear();
        QFuture<void> signIn = controller->authenticate(signInRedirect(*controller, QString::fromLatin1(token)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return signIn.isFinished(); }, timeout));
        EXPECT_THROW(signIn.waitForFinished(), AccountError);
        // The sign-in screen says so; no alert on top.
        ASSERT_EQ(failures.count(), 1);
        EXPECT_EQ(ErrorPresenter::userMessage(failures.first().first().value<std::exception_ptr>()), notForParley);
        EXPECT_TRUE(alerts.isEmpty());
        EXPECT_FALSE(controller->isAuthenticating());
        EXPECT_FALSE(controller->state().isAuthenticated());
        EXPECT_TRUE(storedItems(*controller).isEmpty());
    }
}

// --- Signing in ------------------------------------------------------------------

TEST_F(ApplicationControllerTest, ARefusalRedirectEndsTheAttemptAndChangesNothing)
{
    auto controller = launchAndRestore();
    simulator.setRefusesAuthorization(true);
    const QUrl refusal = browse(controller->startSignIn());
    ASSERT_TRUE(refusal.hasQuery());
    QSignalSpy authenticating(controller.get(), &ApplicationController::isAuthenticatingChanged);
    QSignalSpy failures(controller.get(), &ApplicationController::signInFailed);
    controller->handleRedirect(refusal);
    // Went true, then back to false.
    ASSERT_TRUE(QTest::qWaitFor([&] { return authenticating.count() == 2; }, timeout));
    ASSERT_EQ(failures.count(), 1);
    EXPECT_EQ(ErrorPresenter::userMessage(failures.first().first().value<std::exception_ptr>()),
        QStringLiteral("Sign-in was cancelled."));
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_NE(QUrlQuery(controller->authorizationURL()).queryItemValue(QStringLiteral("state")),
        QUrlQuery(refusal).queryItemValue(QStringLiteral("state")));
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 0);
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ApplicationControllerTest, ARefusedTokenFailsTheSignInSilently)
{
    auto controller = launchAndRestore();
    QFuture<void> signIn = controller->authenticate(signInRedirect(*controller, QStringLiteral("revoked-token")));
    EXPECT_TRUE(controller->isAuthenticating());
    ASSERT_TRUE(QTest::qWaitFor([&] { return signIn.isFinished(); }, timeout));
    EXPECT_THROW(signIn.waitForFinished(), TwitchError);
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ApplicationControllerTest, SignInStoresBothItemsAndTheNextLaunchRestoresThem)
{
    auto controller = launchAndRestore();
    ASSERT_TRUE(signIn(*controller));
    EXPECT_EQ(sessionsMade, 1);
    EXPECT_EQ(controller->state().session()->accessToken().info.login, QString::fromLatin1(demo::login));
    EXPECT_EQ(storedItems(*controller), bothItems());
    EXPECT_EQ(keychain->get(AccessTokenStorage::tokenKey), QString::fromLatin1(demo::token));
    const QDateTime expiresAt = controller->state().session()->accessToken().info.expiresAt;

    controller.reset();
    auto relaunched = launchAndRestore();
    ASSERT_TRUE(relaunched->state().isAuthenticated());
    EXPECT_EQ(relaunched->state().session()->accessToken().info.userID, QString::fromLatin1(demo::userID));
    // Validated again at start: the service's fresh expiry, not one 25 years off.
    EXPECT_LT(qAbs(relaunched->state().session()->accessToken().info.expiresAt.secsTo(expiresAt)), 600);
}

// --- Checked while signed in --------------------------------------------------------

TEST_F(ApplicationControllerTest, TheTokenIsValidatedAgainWhileSignedInAndA401EndsTheSession)
{
    auto controller = launchAndRestore();
    EXPECT_EQ(controller->validationInterval(), std::chrono::hours(1));
    controller->setValidationInterval(std::chrono::milliseconds(100));
    ASSERT_TRUE(signIn(*controller));
    const int validations = simulator.requestCount(QStringLiteral("/oauth2/validate"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return simulator.requestCount(QStringLiteral("/oauth2/validate")) >= validations + 2; }, timeout));
    EXPECT_TRUE(controller->state().isAuthenticated());
    EXPECT_TRUE(alerts.isEmpty());

    simulator.model().revokeToken(QString::fromLatin1(demo::token));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->state().isAuthenticated(); }, timeout));
    EXPECT_EQ(alerts, QStringList { sessionExpired });
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    const int afterEnd = simulator.requestCount(QStringLiteral("/oauth2/validate"));
    QTest::qWait(300);
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), afterEnd) << "signed out: no more checks";
}

// --- Logging out ------------------------------------------------------------------

TEST_F(ApplicationControllerTest, LogoutRevokesTheTokenAndRemovesBothItems)
{
    auto controller = launchAndRestore();
    ASSERT_TRUE(signIn(*controller));
    QFuture<void> loggedOut = controller->logout();
    EXPECT_FALSE(controller->state().isAuthenticated()) << "signed out at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return loggedOut.isFinished(); }, timeout));

    ASSERT_EQ(simulator.requestCount(QStringLiteral("/oauth2/revoke")), 1);
    const sim::SimRequest revoke = simulator.requests().constLast();
    EXPECT_EQ(revoke.method, QByteArray("POST"));
    const QUrlQuery form(QString::fromLatin1(revoke.body));
    EXPECT_EQ(form.queryItemValue(QStringLiteral("client_id")), QString::fromLatin1(demo::clientID));
    EXPECT_EQ(form.queryItemValue(QStringLiteral("token")), QString::fromLatin1(demo::token));
    EXPECT_FALSE(simulator.model().token(QString::fromLatin1(demo::token))) << "the service no longer accepts it";
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ApplicationControllerTest, AFailedRevokeIsLoggedAndDoesNotHoldTheLogoutBack)
{
    auto controller = launchAndRestore();
    ASSERT_TRUE(signIn(*controller));
    simulator.setFault(QStringLiteral("/oauth2/revoke"), HttpFault::withStatus(500));
    DiagnosticsCapture log;
    QFuture<void> loggedOut = controller->logout();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loggedOut.isFinished(); }, timeout));
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    EXPECT_EQ(log.lines().filter(QStringLiteral("ApplicationController.revokeFailed: invalidResponse")).size(), 1);
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ApplicationControllerTest, ALogoutJustBeforeQuittingStillRemovesTheItems)
{
    storeToken(QString::fromLatin1(demo::token), demoInfo());
    auto controller = launchAndRestore();
    ASSERT_TRUE(controller->state().isAuthenticated());
    controller->logout();
    controller.reset();
    EXPECT_TRUE(keychain->allKeys().isEmpty());
}

// --- The user's last action wins ---------------------------------------------------------

TEST_F(ApplicationControllerTest, ALogoutDuringASignInsValidationWins)
{
    auto controller = launchAndRestore();
    const QUrl redirect = signInRedirect(*controller);
    simulator.setFault(QStringLiteral("/oauth2/validate"), HttpFault::delayed(300));
    QFuture<void> signIn = controller->authenticate(redirect);
    QFuture<void> loggedOut = controller->logout();
    ASSERT_TRUE(QTest::qWaitFor([&] { return signIn.isFinished() && loggedOut.isFinished(); }, timeout));
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(sessionsMade, 0);
    EXPECT_TRUE(storedItems(*controller).isEmpty());
}

TEST_F(ApplicationControllerTest, ASignInAfterALogoutWinsOverTheLogoutsQueuedDeletes)
{
    auto controller = launchAndRestore();
    ASSERT_TRUE(signIn(*controller));
    simulator.model().addToken({ QStringLiteral("second-token"), QString::fromLatin1(demo::clientID),
        QString::fromLatin1(demo::userID), { QStringLiteral("chat:read"), QStringLiteral("chat:edit") } });
    const QUrl second = signInRedirect(*controller, QStringLiteral("second-token"));
    QFuture<void> loggedOut = controller->logout();
    QFuture<void> signedIn = controller->authenticate(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return signedIn.isFinished() && loggedOut.isFinished(); }, timeout));
    ASSERT_TRUE(controller->state().isAuthenticated());
    EXPECT_EQ(storedItems(*controller), bothItems());
    EXPECT_EQ(keychain->get(AccessTokenStorage::tokenKey), QStringLiteral("second-token"));

    // And the reverse: a logout right after the sign-in's writes were queued.
    const QUrl third = signInRedirect(*controller, QStringLiteral("second-token"));
    QFuture<void> loggedOutAgain;
    QObject::connect(controller.get(), &ApplicationController::stateChanged, controller.get(), [&] {
        if (controller->state().isAuthenticated())
            loggedOutAgain = controller->logout();
    });
    controller->handleRedirect(third);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return loggedOutAgain.isFinished() && !controller->state().isAuthenticated(); }, timeout));
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    controller.reset();
    EXPECT_FALSE(launchAndRestore()->state().isAuthenticated());
}

// --- Lifetimes -------------------------------------------------------------------

TEST_F(ApplicationControllerTest, QuittingWhileAValidationIsInFlightIsQuiet)
{
    storeToken(QString::fromLatin1(demo::token), demoInfo());
    simulator.setFault(QStringLiteral("/oauth2/validate"), HttpFault::delayed(300));
    {
        auto controller = launch();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return simulator.requestCount(QStringLiteral("/oauth2/validate")) == 1; }, timeout));
    }
    QFuture<void> signIn;
    {
        auto controller = launch();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return simulator.requestCount(QStringLiteral("/oauth2/validate")) == 2; }, timeout));
        signIn = controller->authenticate(signInRedirect(*controller));
    }
    QTest::qWait(500);
    EXPECT_TRUE(signIn.isCanceled());
    EXPECT_EQ(sessionsMade, 0);
    EXPECT_TRUE(alerts.isEmpty());
}

// --- Theme ---------------------------------------------------------------------

TEST_F(ApplicationControllerTest, ThemeOptionsApplyAtOnceAndSurviveARelaunch)
{
    auto controller = launchAndRestore();
    ThemeOptions options = defaultThemeOptions();
    options.spacing = ThemeSpacing::large();
    options.messageFont.size = 18;
    options.backgroundColor = ThemeOptions::Color { 0.1, 0.2, 0.3, 1.0 };
    QSignalSpy themeChanged(controller.get(), &ApplicationController::themeChanged);
    controller->setThemeOptions(options);
    EXPECT_EQ(themeChanged.count(), 1);
    EXPECT_EQ(controller->theme(), makeTheme(options));

    controller.reset();
    EXPECT_EQ(launch()->theme(), makeTheme(options));
    EXPECT_EQ(loadThemeOptions(*userDefaults), options);
}
