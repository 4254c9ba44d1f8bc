#include "ReplyWriter.h"

#include <QTcpSocket>
#include <QTimer>

namespace parley::sim {

void ReplyWriter::write(QTcpSocket* socket, HttpReply reply, HttpFault fault)
{
    if (fault.delayMs > 0) {
        const int delay = std::exchange(fault.delayMs, 0);
        // The socket is the timer's context: nothing happens once it is gone.
        QTimer::singleShot(delay, socket, [socket, reply = std::move(reply), fault] { write(socket, reply, fault); });
        return;
    }
    if (fault.status != 0)
        reply = HttpReply::error(fault.status, QStringLiteral("injected fault"));
    if (!fault.location.isEmpty())
        reply = HttpReply::redirect(QUrl::fromEncoded(fault.location));
    if (fault.truncateTo >= 0)
        reply.body.truncate(fault.truncateTo);
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
