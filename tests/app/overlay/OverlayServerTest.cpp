#include "app/overlay/OverlayServer.h"
#include "app/overlay/OverlayFeed.h"

#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace parley {
namespace {

// A raw connection, so the test sends exactly the head it means to.
class Client {
public:
    Client(quint16 port, const QByteArray& head)
    {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        socket_.write(head);
    }
    // Everything the server sent once it closed the connection.
    QByteArray whole()
    {
        const bool closed = QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, 5000);
        received_ += socket_.readAll();
        return closed ? received_ : QByteArray("(still open) ") + received_;
    }
    // Waits until the stream has sent `text`.
    bool receives(const QByteArray& text)
    {
        return QTest::qWaitFor([&] { return (received_ += socket_.readAll()).contains(text); }, 5000);
    }
    const QByteArray& received() const { return received_; }

private:
    QTcpSocket socket_;
    QByteArray received_;
};

class OverlayServerTest : public testing::Test {
protected:
    OverlayServerTest()
    {
        options.enabled = true;
        options.port = 0;
        options.token = QStringLiteral("00112233445566778899aabbccddeeff");
        EXPECT_TRUE(server->listen(options));
    }

    QByteArray head(const QByteArray& path, const QByteArray& host = {})
    {
        const QByteArray hostHeader = host.isEmpty() ? "127.0.0.1:" + QByteArray::number(server->port()) : host;
        return "GET " + path + " HTTP/1.1\r\nHost: " + hostHeader + "\r\n\r\n";
    }
    QByteArray base() const { return "/overlay/" + options.token.toLatin1(); }

    OverlayOptions options;
    OverlayFeed feed;
    QImage image { 4, 4, QImage::Format_ARGB32 };
    std::unique_ptr<OverlayServer> server = std::make_unique<OverlayServer>(
        feed, [this](const QString& key) { return key == "badge:mod/1" ? image : QImage(); });
};

TEST_F(OverlayServerTest, ListensOnLoopbackOnlyAndTakesTheNextPortWhenOneIsTaken)
{
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.isLoopback())
            continue;
        QTcpSocket outside;
        outside.connectToHost(address, server->port());
        EXPECT_FALSE(outside.waitForConnected(1000)) << address.toString().toStdString();
    }
    OverlayOptions taken = options;
    taken.port = server->port();
    OverlayServer next(feed, {});
    ASSERT_TRUE(next.listen(taken));
    EXPECT_GT(next.port(), server->port());
    EXPECT_TRUE(next.address().startsWith(QStringLiteral("http://127.0.0.1:%1/overlay/").arg(next.port())));
}

TEST_F(OverlayServerTest, AnswersOnlyGetsForItsOwnHostAndToken)
{
    const QByteArray page = Client(server->port(), head(base())).whole();
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(page.contains("Content-Security-Policy: default-src 'self'; img-src 'self'\r\n"));
    EXPECT_TRUE(page.contains("<script src=\"" + base() + "/overlay.js\""));

    const auto status = [&](const QByteArray& request) { return Client(server->port(), request).whole().left(12); };
    EXPECT_EQ(status(head(base(), "rebound.example:" + QByteArray::number(server->port()))), "HTTP/1.1 403");
    EXPECT_EQ(status(head("/overlay/00112233445566778899aabbccddeefe")), "HTTP/1.1 404");
    EXPECT_EQ(status(head(base() + "/nothing")), "HTTP/1.1 404");
    EXPECT_EQ(status("POST " + base() + " HTTP/1.1\r\nHost: localhost:1\r\n\r\n"), "HTTP/1.1 405");
    EXPECT_EQ(status("GET " + base() + " HTTP/1.1\r\n" + QByteArray(20000, 'x')), "HTTP/1.1 431");

    const QByteArray png = Client(server->port(), head(base() + "/image/badge%3Amod%2F1")).whole();
    EXPECT_TRUE(png.contains("Content-Type: image/png\r\n"));
    EXPECT_TRUE(QImage::fromData(png.mid(png.indexOf("\r\n\r\n") + 4), "PNG").size() == image.size());
    EXPECT_EQ(status(head(base() + "/image/missing")), "HTTP/1.1 404");
}

TEST_F(OverlayServerTest, StreamsTheLastMessagesThenLiveOnesAndDeletions)
{
    for (int number = 1; number <= 55; ++number)
        feed.publish({ { "id", QStringLiteral("m%1").arg(number) } });
    Client stream(server->port(), head(base() + "/events"));
    ASSERT_TRUE(stream.receives(R"(data: {"id":"m55"})"));
    EXPECT_TRUE(stream.received().contains("Content-Type: text/event-stream"));
    EXPECT_FALSE(stream.received().contains(R"({"id":"m5"})"));
    EXPECT_TRUE(stream.received().contains(R"({"id":"m6"})"));
    EXPECT_EQ(server->streamCount(), 1);

    feed.publish({ { "id", "live" } });
    feed.remove(QStringLiteral("m6"));
    EXPECT_TRUE(stream.receives("data: {\"id\":\"live\"}\n\nevent: delete\ndata: m6\n\n"));

    // A new token ends the pages that knew the old one.
    options.token = QStringLiteral("ffeeddccbbaa99887766554433221100");
    server->setOptions(options);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->streamCount() == 0; }, 5000));
}

} // namespace
} // namespace parley
