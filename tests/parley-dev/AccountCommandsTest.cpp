#include "twitch-sim/TwitchSimulator.h"

#include "support/PrivateKeyring.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace parley::sim;

namespace {

constexpr int timeout = 30000;

// parley-dev against the in-process simulator. The event loop keeps running
// while the program works, so the simulator can answer it.
class AccountCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(simulator.start(), 0);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        const QJsonObject info {
            { "CFBundleIdentifier", QStringLiteral("app.parley.devtest.%1").arg(QString::fromUtf8(test->name())) },
            { "TWITCH_CLIENT_ID", QString::fromLatin1(demo::clientID) },
            { "TWITCH_AUTH_REDIRECT_URL", "http://localhost:17563" },
            { "TWITCH_IDENTITY_URL", simulator.identityURL().toString() },
            { "TWITCH_HELIX_URL", simulator.helixURL().toString() },
            { "TWITCH_CHAT_URL", simulator.chatURL().toString() },
        };
        QDir(bundle.path()).mkpath(QStringLiteral("share/parley"));
        QFile file(bundle.filePath(QStringLiteral("share/parley/Info.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(info).toJson());
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // Runs parley-dev; `answer` turns what it printed so far into the line to
    // type, once it asks (null: type nothing).
    Run run(const QStringList& arguments, const std::function<QByteArray(const QString&)>& answer = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(PARLEY_DEV), arguments);
        Run result;
        bool answered = !answer;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                result.out += QString::fromUtf8(process.readAllStandardOutput());
                if (!answered && result.out.contains(QLatin1String("paste the address"))) {
                    answered = true;
                    process.write(answer(result.out) + '\n');
                    process.closeWriteChannel();
                }
                return process.state() == QProcess::NotRunning;
            },
            timeout));
        result.out += QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        result.exitCode = process.exitCode();
        return result;
    }

    // Where the browser ends up after the authorize page of the URL printed.
    static QByteArray browse(const QString& printed)
    {
        const qsizetype start = printed.indexOf(QLatin1String("http://127.0.0.1"));
        const QUrl url(printed.mid(start, printed.indexOf(u'\n', start) - start));
        QNetworkAccessManager browser;
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = browser.get(request);
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, timeout));
        reply->deleteLater();
        return reply->header(QNetworkRequest::LocationHeader).toUrl().toEncoded();
    }

    QStringList bundleArguments(const char* command) const
    {
        return { QString::fromLatin1(command), QStringLiteral("--bundle"), bundle.path() };
    }

    TwitchSimulator simulator;
    QTemporaryDir bundle;
};

} // namespace

TEST_F(AccountCommandsTest, LoginThenLogoutRevokesAndRemovesTheStoredSignIn)
{
    PARLEY_REQUIRE_PRIVATE_KEYRING();
    const Run login = run(bundleArguments("login"), browse);
    EXPECT_EQ(login.exitCode, 0) << login.out.toStdString() << login.err.toStdString();
    EXPECT_TRUE(login.out.contains(QLatin1String("state: authenticated as parley_demo"))) << login.out.toStdString();
    EXPECT_FALSE(login.out.contains(QString::fromLatin1(demo::token)));
    // The address on a line of its own, after a prompt that is not escaped.
    EXPECT_TRUE(login.out.contains(QLatin1String("open in a browser and sign in:\nhttp://127.0.0.1:")))
        << login.out.toStdString();
    EXPECT_FALSE(login.out.contains(QLatin1String("\\n"))) << login.out.toStdString();

    const Run logout = run(bundleArguments("logout"));
    EXPECT_EQ(logout.exitCode, 0) << logout.out.toStdString() << logout.err.toStdString();
    EXPECT_TRUE(logout.out.contains(QLatin1String("stored sign-in: authenticated as parley_demo")));
    EXPECT_TRUE(logout.out.endsWith(QLatin1String("state: needsAuthentication\nstored items: none\n")))
        << logout.out.toStdString();
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/revoke")), 1);
    EXPECT_FALSE(simulator.model().token(QString::fromLatin1(demo::token)));
}

TEST_F(AccountCommandsTest, LoginReportsIgnoredRedirectsAndFailedSignIns)
{
    PARLEY_REQUIRE_PRIVATE_KEYRING();
    const Run forged = run(bundleArguments("login"),
        [](const QString&) { return QByteArray("http://localhost:17563/#access_token=parley-sim-token&state=guess"); });
    EXPECT_EQ(forged.exitCode, 1);
    EXPECT_TRUE(forged.out.contains(QLatin1String("redirect ignored: the state is not the pending sign-in's")))
        << forged.out.toStdString();
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 0);

    simulator.setAuthorizationToken(QString::fromLatin1(demo::foreignToken));
    const Run foreign = run(bundleArguments("login"), browse);
    EXPECT_EQ(foreign.exitCode, 1);
    EXPECT_TRUE(
        foreign.out.contains(QLatin1String("sign-in failed: This sign-in was not made for Parley. Please try again.")))
        << foreign.out.toStdString();
    EXPECT_TRUE(foreign.out.endsWith(QLatin1String("state: needsAuthentication\nstored items: none\n")));
}

TEST_F(AccountCommandsTest, AuthorizeURLCarriesAFreshState)
{
    const QStringList arguments { "api", "authorize-url", "--client-id", "c", "--redirect", "http://localhost:17563" };
    const QJsonObject first = QJsonDocument::fromJson(run(arguments).out.toUtf8()).object();
    const QJsonObject second = QJsonDocument::fromJson(run(arguments).out.toUtf8()).object();
    const QString state = first.value(QStringLiteral("state")).toString();
    EXPECT_EQ(state.size(), 22);
    EXPECT_NE(state, second.value(QStringLiteral("state")).toString());
    EXPECT_EQ(
        QUrlQuery(QUrl(first.value(QStringLiteral("url")).toString())).queryItemValue(QStringLiteral("state")), state);
}

TEST_F(AccountCommandsTest, TokensComeFromTheEnvironmentOrStandardInputAndAnArgumentWarns)
{
    const QStringList validate { "api", "validate", "--identity", simulator.identityURL().toString() };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PARLEY_TOKEN"), QString::fromLatin1(demo::token));
    const Run fromEnvironment = run(validate, {}, environment);
    EXPECT_EQ(fromEnvironment.exitCode, 0) << fromEnvironment.err.toStdString();
    EXPECT_TRUE(fromEnvironment.out.contains(QLatin1String("parley_demo")));
    EXPECT_TRUE(fromEnvironment.err.isEmpty()) << fromEnvironment.err.toStdString();

    QProcess process;
    process.start(QStringLiteral(PARLEY_DEV), validate + QStringList { QStringLiteral("-") });
    process.write(QByteArray(demo::token) + '\n');
    process.closeWriteChannel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().contains("parley_demo"));
    EXPECT_TRUE(process.readAllStandardError().isEmpty());

    const Run fromArgument = run(validate + QStringList { QString::fromLatin1(demo::token) });
    EXPECT_EQ(fromArgument.exitCode, 0);
    EXPECT_TRUE(fromArgument.err.contains(QLatin1String("warning: a token on the command line")))
        << fromArgument.err.toStdString();

    QProcessEnvironment without = QProcessEnvironment::systemEnvironment();
    without.remove(QStringLiteral("PARLEY_TOKEN"));
    EXPECT_EQ(run(validate, {}, without).exitCode, 2);
}
