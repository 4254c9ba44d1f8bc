#include "app/overlay/OverlayFeed.h"
#include "app/overlay/OverlayServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

namespace parley {
namespace {

// The page as a real browser shows it: Chromium, headless, reading the feed
// from the server this test runs.
class OverlayPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            GTEST_SKIP() << "chromium is not installed (tools/install-deps.sh installs it)";
        OverlayOptions options;
        options.port = 0;
        options.token = OverlayOptions::newToken();
        ASSERT_TRUE(server.listen(options));
        emote.fill(Qt::red);
        const QString image = server.imagePath(QStringLiteral("25"));
        feed.publish({ { "id", "hostile" }, { "name", "mallory" }, { "color", "#00ff00" },
            { "runs", QJsonArray { QJsonObject { { "text", "<img src=x onerror=document.title='owned'>" } } } } });
        feed.publish({ { "id", "gone" }, { "name", "spammer" },
            { "runs", QJsonArray { QJsonObject { { "text", "buy followers" } } } } });
        feed.publish({ { "id", "emote" }, { "name", "alice" }, { "action", true },
            { "runs",
                QJsonArray {
                    QJsonObject { { "text", "waves " } }, QJsonObject { { "emote", "Kappa" }, { "url", image } } } } });
        feed.remove(QStringLiteral("gone"));
    }

    // Chromium's standard output for `arguments` and the page's address.
    QByteArray runChromium(const QStringList& arguments)
    {
        QProcess process;
        process.setProgram(chromium);
        process.setArguments(QStringList { "--headless=new", "--no-sandbox", "--disable-gpu",
                                 "--user-data-dir=" + profile.filePath(QString::number(++runs)), "--timeout=3000" } +
            arguments + QStringList { server.address() });
        process.start();
        // The server answers from this thread's loop while Chromium loads the page.
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000));
        return process.readAllStandardOutput();
    }

    // The page's body as Chromium has it once `ready` holds, asked through
    // its debugging protocol: a dump at load time would come before the feed.
    QString liveBody(const std::function<bool(const QString&)>& ready)
    {
        const QString dataDir = profile.filePath(QString::number(++runs));
        QProcess process;
        process.start(chromium,
            { "--headless=new", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + dataDir,
                "--remote-debugging-port=0", "--remote-allow-origins=*", server.address() });
        QFile portFile(dataDir + "/DevToolsActivePort");
        EXPECT_TRUE(QTest::qWaitFor([&] { return portFile.size() > 0; }, 30000));
        portFile.open(QIODevice::ReadOnly);
        const QByteArray port = portFile.readLine().trimmed();
        QString body;
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return (body = evaluate(port, "document.body.outerHTML")), ready(body); }, 20000));
        process.kill();
        process.waitForFinished();
        return body;
    }

    // `expression`'s value in the first page of the Chromium at `port`.
    QString evaluate(const QByteArray& port, const QString& expression)
    {
        QNetworkAccessManager network;
        QNetworkReply* list = network.get(QNetworkRequest(QUrl("http://127.0.0.1:" + port + "/json/list")));
        if (!QTest::qWaitFor([&] { return list->isFinished(); }, 5000))
            return {};
        QString socketURL;
        for (const QJsonValue target : QJsonDocument::fromJson(list->readAll()).array())
            if (target["type"] == "page")
                socketURL = target["webSocketDebuggerUrl"].toString();
        QWebSocket socket;
        QString value;
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [&](const QString& message) {
            value = QJsonDocument::fromJson(message.toUtf8())["result"]["result"]["value"].toString();
        });
        QObject::connect(&socket, &QWebSocket::connected, [&] {
            socket.sendTextMessage(QJsonDocument(
                QJsonObject { { "id", 1 }, { "method", "Runtime.evaluate" },
                    { "params", QJsonObject { { "expression", expression }, { "returnByValue", true } } } })
                                       .toJson());
        });
        socket.open(QUrl(socketURL));
        return QTest::qWaitFor([&] { return !value.isEmpty(); }, 5000) ? value : QString();
    }

    static constexpr int attempts = 4;
    QString chromium;
    int runs = 0;
    QTemporaryDir profile;
    OverlayFeed feed;
    QImage emote { 8, 8, QImage::Format_ARGB32 };
    OverlayServer server { feed, [this](const QString& key) { return key == "25" ? emote : QImage(); } };
};

TEST_F(OverlayPageTest, ShowsChatTextAsTextAndLeavesDeletedMessagesOut)
{
    const QString dom = liveBody([](const QString& body) { return body.contains("alice"); });
    EXPECT_TRUE(dom.contains("&lt;img src=x onerror=document.title='owned'&gt;")) << dom.constData();
    // The one image is the emote's, from the server; the hostile text added none.
    EXPECT_EQ(dom.count("<img"), 1);
    EXPECT_TRUE(dom.contains("class=\"emote\""));
    EXPECT_TRUE(dom.contains("mallory"));
    EXPECT_TRUE(dom.contains("message action"));
    EXPECT_FALSE(dom.contains("buy followers"));
}

TEST_F(OverlayPageTest, DrawsOnATransparentBackground)
{
    const QString shot = profile.filePath(QStringLiteral("shot.png"));
    // The messages, at the bottom, are drawn; above them the page lets through what is below.
    const auto drawn = [](const QImage& image) {
        for (int y = image.height() / 2; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0)
                    return true;
        return false;
    };
    QImage image;
    for (int attempt = 0; attempt < attempts && !drawn(image); ++attempt) {
        runChromium({ "--screenshot=" + shot, "--window-size=400,300", "--default-background-color=00000000",
            "--hide-scrollbars" });
        image = QImage(shot);
    }
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(drawn(image));
    EXPECT_EQ(qAlpha(image.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 5, image.height() / 2)), 0);
}

} // namespace
} // namespace parley
