#pragma once

#include "twitch-sim/HttpFault.h"
#include "twitch-sim/HttpReply.h"

class QTcpSocket;

namespace parley::sim {

// Writes an answer to the client's socket, misbehaving as the fault says.
class ReplyWriter {
public:
    static void write(QTcpSocket* socket, HttpReply reply, HttpFault fault);
};

} // namespace parley::sim
