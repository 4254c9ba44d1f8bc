#pragma once

#include "HttpFault.h"
#include "HttpReply.h"

class QTcpSocket;

namespace parley::sim {

// Writes an answer to the client's socket, misbehaving as the fault says.
class ReplyWriter {
public:
    static void write(QTcpSocket* socket, HttpReply reply, HttpFault fault);
};

} // namespace parley::sim
