#include "twitch/chat/TwitchChatSocket.h"

#include "platform/Error.h"

#include <QCryptographicHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;

namespace {

// A WebSocket peer at the TCP level: it completes the opening handshake, then
// either reads and drops everything or stops reading, which the simulator's
// WebSocket server cannot be made to do.
class RawPeer : public QObject {
public:
    explicit RawPeer(bool reads) : reads_(reads)
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            socket_ = server_.nextPendingConnection();
            connect(socket_, &QTcpSocket::readyRead, this, &RawPeer::read);
        });
    }

    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(server_.serverPort())); }
    bool reads() const { return reads_; }
    bool isUpgraded() const { return upgraded_; }
    qint64 bytesRead() const { return bytesRead_; }

private:
    void read()
    {
        if (upgraded_) {
            if (reads_)
                bytesRead_ += socket_->readAll().size();
            return;
        }
        request_ += socket_->readAll();
        if (!request_.contains("\r\n\r\n"))
            return;
        upgraded_ = true;
        socket_->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                       "Sec-WebSocket-Accept: " +
            accept() + "\r\n\r\n");
        // Qt stops taking data from the system once this much waits unread,
        // so the connection's buffers fill up as with a stuck server.
        if (!reads_)
            socket_->setReadBufferSize(4096);
    }

    QByteArray accept() const
    {
        const qsizetype start = request_.indexOf("Sec-WebSocket-Key: ") + 19;
        const QByteArray key = request_.mid(start, request_.indexOf("\r\n", start) - start);
        return QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1)
            .toBase64();
    }

    const bool reads_;
    QTcpServer server_;
    QTcpSocket* socket_ = nullptr;
    QByteArray request_;
    bool upgraded_ = false;
    qint64 bytesRead_ = 0;
};

// Sends 256 KiB frames until the socket fails or `limit` bytes went out,
// waiting after each for the peer to take it in (a reading peer) or for a
// moment (a stuck one). Returns the failure's description.
QString sendUntilFailed(RawPeer& peer, qint64 limit)
{
    const bool awaitDelivery = peer.reads();
    TwitchChatSocket socket(peer.url(), { QStringLiteral("PASS oauth:x") }, TwitchChatTiming());
    QString failure;
    QObject::connect(&socket, &TwitchChatSocket::failed, &socket,
        [&](const std::exception_ptr& error) { failure = describe(error); });
    socket.open();
    if (!QTest::qWaitFor([&] { return peer.isUpgraded(); }, 5000))
        return QStringLiteral("no connection");
    const QString frame(256 * 1024, u'x');
    QTest::qWait(20); // the client takes in the handshake's answer
    for (qint64 sent = frame.size(); failure.isEmpty() && sent <= limit; sent += frame.size()) {
        socket.send(frame);
        if (awaitDelivery)
            QTest::qWaitFor([&] { return peer.bytesRead() >= sent || !failure.isEmpty(); }, 5000);
        else
            QTest::qWait(2);
    }
    return failure;
}

} // namespace

TEST(TwitchChatSocket, APeerThatStopsReadingFailsTheConnectionInsteadOfGrowingItsBuffer)
{
    RawPeer reading(true);
    // More than a stuck peer's connection holds before the limit is passed.
    EXPECT_EQ(sendUntilFailed(reading, 8 * 1024 * 1024), QString()) << "a reading peer takes it all";

    RawPeer stuck(false);
    EXPECT_EQ(sendUntilFailed(stuck, 256 * 1024 * 1024), u"The chat service stopped taking data.");
}
