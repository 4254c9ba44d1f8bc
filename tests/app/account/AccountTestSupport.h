#pragma once

#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "app/session/SessionController.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/ErrorPresenter.h"
#include "twitch-sim/TwitchSimulator.h"

#include "support/PrivateKeyring.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace parley::test {

namespace demo = parley::sim::demo;

inline constexpr int timeout = 20000;

// An application controller over the simulator and the private keyring, with
// the stores of one "installation" that launches can share.
class AccountTest : public testing::Test {
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

    // A launch of the application: a new controller over the same stores,
    // recording the messages its alerts would show.
    std::unique_ptr<ApplicationController> launch()
    {
        auto controller = std::make_unique<ApplicationController>(config,
            TwitchAPI(config.twitchEndpoints(), config.twitchClientID, config.twitchAuthRedirectURL), keychain,
            userDefaults, [this](const TwitchAPI& twitch, const TwitchUserAccessToken& accessToken) {
                ++sessionsMade;
                return std::shared_ptr<SessionController>(
                    new SessionController(twitch, accessToken, nullptr, *pipeline),
                    [pipeline = pipeline](QObject* session) {
                        // The pipeline stays until the session it serves is gone.
                        QObject::connect(session, &QObject::destroyed, [pipeline] {});
                        session->deleteLater();
                    });
            });
        QObject::connect(controller.get(), &ApplicationController::errors,
            [this](const std::exception_ptr& error) { alerts.append(ErrorPresenter::userMessage(error)); });
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
        QFuture<QStringList> items = controller.accessTokenStorage().storedItems();
        EXPECT_TRUE(QTest::qWaitFor([&] { return items.isFinished(); }, timeout));
        return items.result();
    }

    void storeToken(const QString& token, const TwitchUserAccessToken::Info& info)
    {
        ASSERT_TRUE(keychain->set(token, AccessTokenStorage::tokenKey));
        ASSERT_TRUE(keychain->set(infoJson(info), AccessTokenStorage::infoKey));
    }

    static QString infoJson(const TwitchUserAccessToken::Info& info)
    {
        return QString::fromUtf8(QJsonDocument(info.toJson()).toJson());
    }

    QStringList bothItems() const
    {
        return { config.credentialKeyPrefix() + AccessTokenStorage::tokenKey,
            config.credentialKeyPrefix() + AccessTokenStorage::infoKey };
    }

    // Where the browser ends up after following `authorizationURL` at the
    // simulator's authorize page: the redirect with the token and the state.
    static QUrl browse(const QUrl& authorizationURL)
    {
        QNetworkAccessManager browser;
        QNetworkRequest request(authorizationURL);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = browser.get(request);
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, timeout));
        reply->deleteLater();
        return reply->header(QNetworkRequest::LocationHeader).toUrl();
    }

    // A new sign-in through the simulator's authorize page, which hands out `token`.
    QUrl signInRedirect(ApplicationController& controller, const QString& token = QString::fromLatin1(demo::token))
    {
        simulator.setAuthorizationToken(token);
        return browse(controller.startSignIn());
    }

    // Signs in through the browser round trip; true once authenticated.
    bool signIn(ApplicationController& controller)
    {
        controller.handleRedirect(signInRedirect(controller));
        return QTest::qWaitFor(
            [&] { return controller.state().isAuthenticated() && !controller.isAuthenticating(); }, timeout);
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
    QStringList alerts;
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
};

} // namespace parley::test
