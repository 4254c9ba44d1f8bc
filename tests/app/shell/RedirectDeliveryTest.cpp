#include "app/shell/InstanceChannel.h"
#include "app/shell/LoopbackRedirectListener.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <future>

using namespace parley;

namespace {

constexpr int timeout = 10000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

class LoopbackRedirectListenerTest : public testing::Test {
protected:
    void SetUp() override
    {
        port = freePort();
        redirectURL = QUrl(QStringLiteral("http://localhost:%1/done").arg(port));
        listener = std::make_unique<LoopbackRedirectListener>(redirectURL);
        ASSERT_TRUE(listener->start());
    }

    struct Answer {
        int status = 0;
        QByteArray body;
    };

    Answer send(const QByteArray& method, const QString& path, const QByteArray& body = {},
        QList<std::pair<QByteArray, QByteArray>> headers = {})
    {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
        request.setRawHeader("Host", "localhost:" + QByteArray::number(port));
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        QNetworkReply* reply = network.sendCustomRequest(request, method, body);
        EXPECT_TRUE(QTest::qWaitFor([reply] { return reply->isFinished(); }, timeout));
        reply->deleteLater();
        return { reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll() };
    }

    QByteArray page() const { return QStringLiteral("http://localhost:%1/done").arg(port).toUtf8(); }
    QByteArray origin() const { return "http://localhost:" + QByteArray::number(port); }

    quint16 port = 0;
    QUrl redirectURL;
    std::unique_ptr<LoopbackRedirectListener> listener;
    QNetworkAccessManager network;
};

TEST(LoopbackRedirectListener, ServesOnlyPlainHttpLoopbackAddressesWithAPort)
{
    EXPECT_TRUE(LoopbackRedirectListener::canServe(QUrl(QStringLiteral("http://localhost:17563"))));
    EXPECT_TRUE(LoopbackRedirectListener::canServe(QUrl(QStringLiteral("http://127.0.0.1:8080/callback"))));
    EXPECT_FALSE(LoopbackRedirectListener::canServe(QUrl(QStringLiteral("https://localhost:17563"))));
    EXPECT_FALSE(LoopbackRedirectListener::canServe(QUrl(QStringLiteral("http://example.org:17563"))));
    EXPECT_FALSE(LoopbackRedirectListener::canServe(QUrl(QStringLiteral("http://localhost"))));
    EXPECT_FALSE(LoopbackRedirectListener::canServe(QUrl(QStringLiteral("parley://auth"))));
}

TEST_F(LoopbackRedirectListenerTest, PageAtTheRedirectPathPostsTheAddressBack)
{
    const Answer answer = send("GET", QStringLiteral("/done"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.body.contains("fetch(\"/parley-redirect\""));
    EXPECT_TRUE(answer.body.contains("location.href"));
    EXPECT_EQ(send("GET", QStringLiteral("/elsewhere")).status, 404);
}

TEST_F(LoopbackRedirectListenerTest, PostedAddressBecomesTheRedirectWithItsQueryAndFragment)
{
    QSignalSpy received(listener.get(), &LoopbackRedirectListener::redirectReceived);
    const QByteArray landed = page() + "?state=abc#access_token=tok%2Bx&scope=chat%3Aread+chat%3Aedit";
    EXPECT_EQ(send("POST", LoopbackRedirectListener::receivePath, landed, { { "Origin", origin() } }).status, 200);
    ASSERT_EQ(received.size(), 1);
    const QUrl redirect = received.first().first().toUrl();
    EXPECT_EQ(redirect.toString(QUrl::RemoveQuery | QUrl::RemoveFragment), redirectURL.toString());
    EXPECT_EQ(redirect.query(), QStringLiteral("state=abc"));
    EXPECT_EQ(
        redirect.fragment(QUrl::FullyEncoded), QStringLiteral("access_token=tok%2Bx&scope=chat%3Aread+chat%3Aedit"));
}

TEST_F(LoopbackRedirectListenerTest, RefusesPostsFromOtherSitesHostsOrPagesAndOversizedBodies)
{
    QSignalSpy received(listener.get(), &LoopbackRedirectListener::redirectReceived);
    const QByteArray landed = page() + "#access_token=tok";
    EXPECT_EQ(
        send("POST", LoopbackRedirectListener::receivePath, landed, { { "Origin", "http://evil.example" } }).status,
        400);
    EXPECT_EQ(send("POST", LoopbackRedirectListener::receivePath, landed, { { "Host", "evil.example" } }).status, 403);
    EXPECT_EQ(
        send("POST", LoopbackRedirectListener::receivePath, "http://evil.example/done#access_token=tok").status, 400);
    EXPECT_EQ(send("POST", LoopbackRedirectListener::receivePath, origin() + "/other#access_token=tok").status, 400);
    EXPECT_EQ(send("POST", LoopbackRedirectListener::receivePath,
                  landed + QByteArray(LoopbackRedirectListener::maxBodySize, 'a'))
                  .status,
        400);
    EXPECT_EQ(send("GET", LoopbackRedirectListener::receivePath).status, 404);
    EXPECT_TRUE(received.isEmpty());
}

TEST(LoopbackRedirectListener, ATakenPortFailsToStart)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    LoopbackRedirectListener listener(QUrl(QStringLiteral("http://localhost:%1").arg(taken.serverPort())));
    EXPECT_FALSE(listener.start());
}

TEST(InstanceChannel, ALaterLaunchHandsItsUrlsToTheRunningInstance)
{
    const QString identifier = QStringLiteral("app.parley.test.channel");
    const QList<QUrl> urls { QUrl(QStringLiteral("http://localhost:1/#access_token=a")),
        QUrl(QStringLiteral("x-other:b")) };
    EXPECT_FALSE(InstanceChannel::sendToRunningInstance(identifier, urls, std::chrono::milliseconds(500)));

    InstanceChannel running(identifier);
    ASSERT_TRUE(running.listen());
    QSignalSpy opened(&running, &InstanceChannel::urlsOpened);
    // The later launch blocks on its socket; it runs beside this event loop.
    std::future<bool> sent = std::async(
        std::launch::async, [&] { return InstanceChannel::sendToRunningInstance(identifier, urls); });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, timeout));
    EXPECT_TRUE(sent.get());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().first().value<QList<QUrl>>(), urls);

    // A second instance cannot take the channel while the first runs.
    InstanceChannel second(identifier);
    EXPECT_FALSE(second.listen());
}

TEST(InstanceChannel, ASocketLeftByACrashedInstanceIsReplaced)
{
    const QString identifier = QStringLiteral("app.parley.test.stale");
    {
        QFile stale(InstanceChannel::serverName(identifier));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    InstanceChannel running(identifier);
    EXPECT_TRUE(running.listen());
}

} // namespace
