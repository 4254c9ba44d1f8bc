#include "twitch-sim/ReplyWriter.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace parley::sim {

namespace {

// Writes `length` filler bytes (-1: without end) no faster than the client
// reads them, so that a huge body costs the simulator only a chunk or two.
void stream(QTcpSocket* socket, qint64 length)
{
    static constexpr qint64 chunk = 64 * 1024;
    const auto left = std::make_shared<qint64>(length);
    const auto refill = [socket, left] {
        while (*left != 0 && socket->bytesToWrite() < chunk) {
            const qint64 size = *left < 0 ? chunk : std::min(chunk, *left);
            socket->write(QByteArray(size, 'x'));
            if (*left > 0)
                *left -= size;
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    refill();
}

void trickle(QTcpSocket* socket, const QByteArray& body, int intervalMs)
{
    auto* timer = new QTimer(socket);
    const auto sent = std::make_shared<qsizetype>(0);
    QObject::connect(timer, &QTimer::timeout, socket, [timer, socket, body, sent] {
        if (*sent >= body.size()) {
            timer->deleteLater();
            return;
        }
        socket->write(body.mid((*sent)++, 1));
    });
    timer->start(intervalMs);
}

} // namespace

void ReplyWriter::write(QTcpSocket* socket, HttpReply reply, HttpFault fault)
{
    if (fault.delayMs > 0) {
        const int delay = std::exchange(fault.delayMs, 0);
        // The socket is the timer's context: nothing happens once it is gone.
        QTimer::singleShot(delay, socket, [socket, reply = std::move(reply), fault] { write(socket, reply, fault); });
        return;
    }
    if (fault.status != 0)
        reply = HttpReply::error(fault.status, fault.message.isEmpty() ? QStringLiteral("injected fault") : fault.message);
    if (!fault.location.isEmpty())
        reply = HttpReply::redirect(QUrl::fromEncoded(fault.location));
    if (fault.truncateTo >= 0)
        reply.body.truncate(fault.truncateTo);
    if (fault.streamLength >= 0 || fault.isEndless) {
        const qint64 length = fault.isEndless ? -1 : fault.streamLength;
        socket->write(reply.head(length));
        stream(socket, length);
        return;
    }
    if (fault.trickleMs > 0) {
        socket->write(reply.head(reply.body.size()));
        trickle(socket, reply.body, fault.trickleMs);
        return;
    }
    if (fault.interruption == HttpFault::Interruption::none) {
        socket->write(reply.head(reply.body.size()) + reply.body);
        return;
    }
    // The head announces the whole body; only part of it follows.
    if (fault.interruptAfter >= 0)
        socket->write(reply.head(reply.body.size()) + reply.body.left(fault.interruptAfter));
    if (fault.interruption == HttpFault::Interruption::drop)
        socket->disconnectFromHost(); // sends what was written first
}

} // namespace parley::sim
