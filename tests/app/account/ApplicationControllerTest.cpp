#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "app/session/SessionController.h"
#include "twitch/api/TwitchError.h"
#include "twitch-sim/TwitchSimulator.h"

#include "support/PrivateKeyring.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;
namespace demo = parley::sim::demo;

namespace {

constexpr int timeout = 20000;

class ApplicationControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        PARLEY_REQUIRE_PRIVATE_KEYRING();
        ASSERT_NE(simulator.start(), 0);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        // An identifier per test keeps parallel tests' keyring items apart.
        config.bundleIdentifier = QStringLiteral("app.parley.test.%1").arg(QString::fromUtf8(test->name()));
        config.twitchClientID = QString::fromLatin1(demo::clientID);
        config.twitchAuthRedirectURL = QUrl(QStringLiteral("http://localhost:17563"));
        config.twitchIdentityURL = simulator.identityURL();
        config.twitchHelixURL = simulator.helixURL();
        config.twitchChatURL = simulator.chatURL();
        config.twitchCapabilityNamespace = QStringLiteral("twitch.tv");
        config.twitchWebDomain = QStringLiteral("twitch.tv");
        keychain = makeCredentialStore(config);
    }

    void TearDown() override
    {
        if (keychain)
            keychain->clear();
    }

    // A launch of the application: a new controller over the same stores.
    std::unique_ptr<ApplicationController> launch()
    {
        auto controller = std::make_unique<ApplicationController>(config,
            TwitchAPI(config.twitchEndpoints(), config.twitchClientID, config.twitchAuthRedirectURL),
            keychain, userDefaults, [this](const TwitchAPI& twitch, const TwitchUserAccessToken& accessToken) {
                ++sessionsMade;
                return std::shared_ptr<SessionController>(
                    new SessionController(twitch, accessToken, nullptr, *pipeline), [pipeline = pipeline](QObject* session) {
                        // The pipeline stays until the session it serves is gone.
                        QObject::connect(session, &QObject::destroyed, [pipeline] { });
                        session->deleteLater();
                    });
            });
        return controller;
    }

    std::unique_ptr<ApplicationController> launchAndRestore()
    {
        auto controller = launch();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isRestoring(); }, timeout));
        return controller;
    }

    QStringList storedItems(ApplicationController& controller)
    {
        QFuture<QStringList> items = controller.storedAccessTokenItems();
        EXPECT_TRUE(QTest::qWaitFor([&] { return items.isFinished(); }, timeout));
        return items.result();
    }

    void storeToken(const QString& info)
    {
        ASSERT_TRUE(keychain->set(QString::fromLatin1(demo::token), ApplicationController::accessTokenKey));
        ASSERT_TRUE(keychain->set(info, ApplicationController::accessTokenInfoKey));
    }

    QStringList bothItems() const
    {
        return { config.credentialKeyPrefix() + ApplicationController::accessTokenKey,
                 config.credentialKeyPrefix() + ApplicationController::accessTokenInfoKey };
    }

    static QUrl redirect(const QString& token)
    {
        return QUrl(QStringLiteral("http://localhost:17563/#access_token=%1&scope=chat%3Aread+chat%3Aedit&token_type=bearer").arg(token));
    }

    static TwitchUserAccessToken::Info demoInfo()
    {
        TwitchUserAccessToken::Info info;
        info.clientID = QString::fromLatin1(demo::clientID);
        info.login = QString::fromLatin1(demo::login);
        info.scopes = { TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit };
        info.userID = QString::fromLatin1(demo::userID);
        info.expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600);
        return info;
    }

    sim::TwitchSimulator simulator { sim::SimModel::demoContent() };
    QTemporaryDir home;
    std::shared_ptr<QSettings> userDefaults = std::make_shared<QSettings>(
        home.filePath(QStringLiteral("settings.conf")), QSettings::IniFormat);
    BundleConfig config;
    std::shared_ptr<CredentialStore> keychain;
    int sessionsMade = 0;
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
};

} // namespace

TEST_F(ApplicationControllerTest, FirstLaunchIsSignedOutWithTheDefaultTheme)
{
    auto controller = launch();
    EXPECT_TRUE(controller->isRestoring());
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_EQ(controller->theme(), defaultTheme());
    const QUrl authorize = controller->authorizationURL();
    EXPECT_EQ(authorize.path(), QStringLiteral("/oauth2/authorize"));
    EXPECT_TRUE(authorize.query().contains(QStringLiteral("client_id=%1").arg(QString::fromLatin1(demo::clientID))));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isRestoring(); }, timeout));
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(sessionsMade, 0);
    EXPECT_FALSE(userDefaults->contains(themeSettingsKey));
}

TEST_F(ApplicationControllerTest, AStoredTokenStartsASessionBeforeAnyNetworkTraffic)
{
    storeToken(QString::fromUtf8(QJsonDocument(demoInfo().toJson()).toJson()));
    auto controller = launch();
    int requestsWhenAuthenticated = -1;
    QObject::connect(controller.get(), &ApplicationController::stateChanged, [&] {
        requestsWhenAuthenticated = simulator.totalRequestCount();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !controller->isRestoring(); }, timeout));
    ASSERT_TRUE(controller->state().isAuthenticated());
    EXPECT_EQ(requestsWhenAuthenticated, 0);
    EXPECT_EQ(sessionsMade, 1);
    EXPECT_EQ(controller->state().session()->accessToken().token, QString::fromLatin1(demo::token));
    EXPECT_EQ(controller->state().session()->accessToken().info.login, QString::fromLatin1(demo::login));
}

TEST_F(ApplicationControllerTest, UndecodableStoredInfoIsRemovedWithItsToken)
{
    storeToken(QStringLiteral("{\"login\": 7}"));
    auto controller = launchAndRestore();
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(sessionsMade, 0);
    EXPECT_TRUE(storedItems(*controller).isEmpty());
}

TEST_F(ApplicationControllerTest, ALoneInfoItemIsLeftAndStartsNothing)
{
    ASSERT_TRUE(keychain->set(QString::fromUtf8(QJsonDocument(demoInfo().toJson()).toJson()),
                              ApplicationController::accessTokenInfoKey));
    auto controller = launchAndRestore();
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(storedItems(*controller), QStringList { bothItems().last() });
}

TEST_F(ApplicationControllerTest, ARedirectWithoutATokenChangesNothing)
{
    auto controller = launchAndRestore();
    QSignalSpy authenticating(controller.get(), &ApplicationController::isAuthenticatingChanged);
    controller->handleRedirect(QUrl(QStringLiteral("http://localhost:17563/?error=access_denied&error_description=no")));
    // Went true, then back to false.
    ASSERT_TRUE(QTest::qWaitFor([&] { return authenticating.count() == 2; }, timeout));
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 0);
}

TEST_F(ApplicationControllerTest, ARefusedTokenFailsTheSignInSilently)
{
    auto controller = launchAndRestore();
    QFuture<void> signIn = controller->authenticate(redirect(QStringLiteral("revoked-token")));
    EXPECT_TRUE(controller->isAuthenticating());
    ASSERT_TRUE(QTest::qWaitFor([&] { return signIn.isFinished(); }, timeout));
    EXPECT_THROW(signIn.waitForFinished(), TwitchError);
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_TRUE(storedItems(*controller).isEmpty());
}

TEST_F(ApplicationControllerTest, SignInStoresBothItemsAndStartsASession)
{
    auto controller = launchAndRestore();
    controller->handleRedirect(redirect(QString::fromLatin1(demo::token)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->state().isAuthenticated(); }, timeout));
    EXPECT_FALSE(controller->isAuthenticating());
    EXPECT_EQ(sessionsMade, 1);
    EXPECT_EQ(controller->state().session()->accessToken().info.login, QString::fromLatin1(demo::login));
    EXPECT_EQ(storedItems(*controller), bothItems());
    EXPECT_EQ(keychain->get(ApplicationController::accessTokenKey), QString::fromLatin1(demo::token));

    // The next launch is signed in with what was stored.
    controller.reset();
    auto relaunched = launchAndRestore();
    ASSERT_TRUE(relaunched->state().isAuthenticated());
    EXPECT_EQ(relaunched->state().session()->accessToken().info.userID, QString::fromLatin1(demo::userID));
}

TEST_F(ApplicationControllerTest, ALogoutRightAfterSignInLeavesNothingStored)
{
    auto controller = launchAndRestore();
    QFuture<void> loggedOut;
    QObject::connect(controller.get(), &ApplicationController::stateChanged, controller.get(), [&] {
        if (controller->state().isAuthenticated())
            loggedOut = controller->logout();
    });
    controller->handleRedirect(redirect(QString::fromLatin1(demo::token)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return loggedOut.isFinished() && !controller->state().isAuthenticated(); }, timeout));
    EXPECT_TRUE(storedItems(*controller).isEmpty());
    controller.reset();
    EXPECT_FALSE(launchAndRestore()->state().isAuthenticated());
}

TEST_F(ApplicationControllerTest, ALogoutJustBeforeQuittingStillRemovesTheItems)
{
    storeToken(QString::fromUtf8(QJsonDocument(demoInfo().toJson()).toJson()));
    auto controller = launchAndRestore();
    ASSERT_TRUE(controller->state().isAuthenticated());
    controller->logout();
    controller.reset();
    EXPECT_TRUE(keychain->allKeys().isEmpty());
}

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
