#pragma once

// What the end-to-end tests share: the real program, launched from a bundle made for the test (kind "test",
// so it answers the accessibility driver's requests on its instance socket),
// against the simulator, with its own home and runtime directory, inside the
// private D-Bus session and keyring of tools/run-tests.sh.

#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"

#include "support/PrivateKeyring.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

namespace parley::endtoend {

namespace demo = parley::sim::demo;

inline constexpr int timeout = 15000;
// One per test process: tests that run side by side share one keyring, and
// the stored sign-in is the bundle's, so a shared identifier let one test's
// sign-in appear in another's fresh launch.
inline const QString identifier =
    QStringLiteral("app.parley.Parley.e2e%1").arg(QCoreApplication::applicationPid());

// The reply once finished (or abandoned after the time-out).
inline QNetworkReply* finished(QNetworkReply* reply)
{
    if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, timeout))
        reply->abort();
    reply->deleteLater();
    return reply;
}

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// One run of bin/parley from the test's bundle.
class RunningParley {
public:
    RunningParley(const QString& program, const QProcessEnvironment& environment, const QString& runtimeDirectory,
        const QStringList& arguments = {})
        : socketPath_(QDir(runtimeDirectory).filePath(identifier + QStringLiteral(".socket")))
    {
        process_.setProcessEnvironment(environment);
        process_.setProgram(program);
        process_.setArguments(arguments);
        QObject::connect(
            &process_, &QProcess::readyReadStandardError, [this] { errors_ += process_.readAllStandardError(); });
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.start();
    }

    ~RunningParley()
    {
        stop();
        // A failed test shows what the program said.
        if (testing::Test::HasFailure())
            std::cerr << "parley's standard error:\n" << standardError().toStdString() << std::flush;
    }

    QJsonObject ask(const QJsonObject& request)
    {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (!socket.waitForConnected(1000))
            return {};
        socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        socket.waitForBytesWritten(1000);
        while (!socket.canReadLine())
            if (!socket.waitForReadyRead(timeout))
                return {};
        return QJsonDocument::fromJson(socket.readLine()).object();
    }

    QJsonObject describe() { return ask({ { QStringLiteral("describe"), QJsonObject() } }); }

    // The one main window's description, once its title is `title`.
    QJsonObject waitForWindow(const QString& title, int timeoutMs = timeout)
    {
        QJsonObject found;
        const bool shown = QTest::qWaitFor(
            [&] {
                for (const QJsonValue& window : describe().value(QStringLiteral("windows")).toArray())
                    if (window[QStringLiteral("title")].toString() == title)
                        found = window.toObject();
                return !found.isEmpty();
            },
            timeoutMs);
        return shown ? found : QJsonObject();
    }

    // The chat rows shown in the window titled `title`: name and height.
    QList<std::pair<QString, int>> rows(const QString& title)
    {
        QList<std::pair<QString, int>> found;
        for (const QJsonValue& window : describe().value(QStringLiteral("windows")).toArray()) {
            if (window[QStringLiteral("title")].toString() != title)
                continue;
            for (const QJsonValue& item : window[QStringLiteral("items")].toArray())
                if (item[QStringLiteral("role")].toString() == QLatin1String("ListItem"))
                    found.append({ item[QStringLiteral("name")].toString(), item[QStringLiteral("height")].toInt() });
        }
        return found;
    }

    int shortestRow(const QString& title)
    {
        int shortest = 0;
        for (const auto& [name, height] : rows(title))
            if (height > 0 && (shortest == 0 || height < shortest))
                shortest = height;
        return shortest;
    }

    // The chat list of the window titled `title` ("rowCount", "showsNewest").
    QJsonObject list(const QString& title)
    {
        for (const QJsonValue& window : describe().value(QStringLiteral("windows")).toArray())
            if (window[QStringLiteral("title")].toString() == title)
                for (const QJsonValue& item : window[QStringLiteral("items")].toArray())
                    if (item[QStringLiteral("role")].toString() == QLatin1String("List"))
                        return item.toObject();
        return {};
    }

    bool showsNewest(const QString& title) { return list(title)[QStringLiteral("showsNewest")].toBool(); }

    // Whether an object of that accessible name is shown in the window
    // titled `title`, or in any window.
    bool shows(const QString& name, const QString& title = {})
    {
        for (const QJsonValue& window : describe().value(QStringLiteral("windows")).toArray())
            if (title.isEmpty() || window[QStringLiteral("title")].toString() == title)
                for (const QJsonValue& item : window[QStringLiteral("items")].toArray())
                if (item[QStringLiteral("name")].toString() == name)
                    return true;
        return false;
    }

    bool key(const QString& window, const QString& keys)
    {
        return run(QStringLiteral("key"),
            QJsonObject { { QStringLiteral("window"), window }, { QStringLiteral("keys"), keys } });
    }

    // Positive notches scroll up.
    bool wheel(const QString& window, const QString& name, int notches)
    {
        return run(QStringLiteral("wheel"),
            QJsonObject { { QStringLiteral("window"), window }, { QStringLiteral("name"), name },
                { QStringLiteral("notches"), notches } });
    }

    bool resize(const QString& window, int width, int height)
    {
        return run(QStringLiteral("resize"),
            QJsonObject { { QStringLiteral("window"), window }, { QStringLiteral("width"), width },
                { QStringLiteral("height"), height } });
    }

    bool type(const QString& field, const QString& text)
    {
        return run(QStringLiteral("type"),
            QJsonObject { { QStringLiteral("name"), field }, { QStringLiteral("text"), text } });
    }

    QJsonObject menuItem(int index) { return describe()[QStringLiteral("menu")][index].toObject(); }

    bool run(const QString& key, const QJsonValue& value)
    {
        return ask({ { key, value } }).value(QStringLiteral("ok")).toBool();
    }

    // The address the sign-in button asked to open; the offscreen platform
    // has no browser, so Parley prints it.
    QUrl waitForOpenedAddress()
    {
        QUrl address;
        const bool printed = QTest::qWaitFor(
            [&] {
                process_.waitForReadyRead(50);
                errors_ += process_.readAllStandardError();
                // Only whole lines: a read may end inside the address.
                QList<QByteArray> lines = errors_.split('\n');
                lines.removeLast();
                for (const QByteArray& line : std::as_const(lines))
                    if (line.startsWith("http"))
                        address = QUrl(QString::fromUtf8(line.trimmed()));
                return address.isValid();
            },
            timeout);
        errors_.clear();
        return printed ? address : QUrl();
    }

    // What the program wrote to stderr since the last look.
    QByteArray standardError()
    {
        errors_ += process_.readAllStandardError();
        return std::exchange(errors_, {});
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    QProcess& process() { return process_; }

private:
    QString socketPath_;
    QProcess process_;
    QByteArray errors_;
};

class EndToEndTest : public testing::Test {
protected:
    void SetUp() override
    {
        PARLEY_REQUIRE_PRIVATE_KEYRING();
        ASSERT_NE(simulator.start(), 0);
        simulator.chat().startTraffic(5);
        redirectPort = freePort();
        makeBundle();
        QDir(scratch.path()).mkpath(QStringLiteral("home"));
        QDir(scratch.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(
            runtimeDirectory(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        const QString home = scratch.filePath(QStringLiteral("home"));
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDirectory());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        keychain = makeCredentialStore(config());
        keychain->clear();
    }

    void TearDown() override
    {
        if (keychain)
            keychain->clear();
    }

    BundleConfig config() const
    {
        BundleConfig config;
        config.bundleIdentifier = identifier;
        return config;
    }

    QString runtimeDirectory() const { return scratch.filePath(QStringLiteral("runtime")); }
    QString program() const { return scratch.filePath(QStringLiteral("bundle/bin/parley")); }

    void makeBundle()
    {
        QDir(scratch.path()).mkpath(QStringLiteral("bundle/bin"));
        QDir(scratch.path()).mkpath(QStringLiteral("bundle/share/parley"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(PARLEY_PROGRAM_PATH), program()));
        const QJsonObject info {
            { QStringLiteral("CFBundleIdentifier"), identifier },
            { QStringLiteral("CFBundleShortVersionString"), QStringLiteral("9.8.7") },
            { QStringLiteral("PARLEY_BUNDLE_KIND"), QStringLiteral("test") },
            { QStringLiteral("TWITCH_CLIENT_ID"), QString::fromLatin1(demo::clientID) },
            { QStringLiteral("TWITCH_AUTH_REDIRECT_URL"), QStringLiteral("http://localhost:%1").arg(redirectPort) },
            { QStringLiteral("TWITCH_IDENTITY_URL"), simulator.identityURL().toString() },
            { QStringLiteral("TWITCH_HELIX_URL"), simulator.helixURL().toString() },
            { QStringLiteral("TWITCH_CHAT_URL"), simulator.chatURL().toString() },
            // Tests never reach the real community services or the recent chat service.
            { QStringLiteral("BTTV_API_URL"), simulator.betterTTVAPIURL().toString() },
            { QStringLiteral("BTTV_CDN_URL"), simulator.betterTTVCDNURL().toString() },
            { QStringLiteral("FFZ_API_URL"), simulator.frankerFaceZAPIURL().toString() },
            { QStringLiteral("SEVENTV_API_URL"), simulator.sevenTVAPIURL().toString() },
            { QStringLiteral("RECENT_MESSAGES_URL"), simulator.recentMessagesURL().toString() },
        };
        QFile file(scratch.filePath(QStringLiteral("bundle/share/parley/Info.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(info).toJson());
    }

    std::unique_ptr<RunningParley> launch(const QStringList& arguments = {})
    {
        return std::make_unique<RunningParley>(program(), environment, runtimeDirectory(), arguments);
    }

    // What the browser does with the authorize page: the simulator answers
    // with a redirect carrying the token in the fragment.
    QUrl authorize(const QUrl& address)
    {
        QNetworkRequest request(address);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = finished(network.get(request));
        return QUrl(QString::fromUtf8(reply->rawHeader("Location")));
    }

    // What the loopback page's script does: posts the address it landed on.
    int postToLoopbackPage(const QUrl& landed)
    {
        const QUrl page(QStringLiteral("http://127.0.0.1:%1/").arg(redirectPort));
        QNetworkRequest pageRequest(page);
        pageRequest.setRawHeader("Host", "localhost:" + QByteArray::number(redirectPort));
        QNetworkReply* pageReply = finished(network.get(pageRequest));
        if (!pageReply->readAll().contains("/parley-redirect"))
            return 0;
        QNetworkRequest post(page.resolved(QUrl(QStringLiteral("/parley-redirect"))));
        post.setRawHeader("Host", "localhost:" + QByteArray::number(redirectPort));
        post.setRawHeader("Origin", "http://localhost:" + QByteArray::number(redirectPort));
        post.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain");
        QNetworkReply* reply = finished(network.post(post, landed.toString(QUrl::FullyEncoded).toUtf8()));
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    // Signs in from the sign-in window the way a browser that lands on the
    // loopback page does, and waits for the chat window.
    bool signIn(RunningParley& parley)
    {
        return !parley.waitForWindow(QStringLiteral("Parley - Sign into Twitch")).isEmpty() &&
            parley.run(QStringLiteral("press"), QStringLiteral("Sign in with twitch.tv")) &&
            postToLoopbackPage(authorize(parley.waitForOpenedAddress())) == 200 &&
            !parley.waitForWindow(QStringLiteral("Parley - #") + QString::fromLatin1(demo::login)).isEmpty();
    }

    QStringList storedItems()
    {
        QStringList items;
        for (const QString& key : { AccessTokenStorage::tokenKey, AccessTokenStorage::infoKey })
            if (keychain->get(key))
                items.append(key);
        return items;
    }

    int revokeRequests() const
    {
        int count = 0;
        for (const sim::SimRequest& request : simulator.requests())
            count += request.path == QLatin1String("/oauth2/revoke");
        return count;
    }

    int emoteImageRequests() const
    {
        int count = 0;
        for (const sim::SimRequest& request : simulator.requests())
            count += request.path.startsWith(QLatin1String("/emoticons/v2/"));
        return count;
    }

    QVariant storedDefault(const QString& key)
    {
        QSettings defaults(scratch.filePath(QStringLiteral("home/.config/") + identifier + QStringLiteral(".ini")),
            QSettings::IniFormat);
        return defaults.value(key);
    }

    sim::TwitchSimulator simulator;
    QTemporaryDir scratch;
    quint16 redirectPort = 0;
    QProcessEnvironment environment;
    std::shared_ptr<CredentialStore> keychain;
    QNetworkAccessManager network;
};

} // namespace parley::endtoend
