#include "SimHttpServer.h"

namespace parley::sim {

SimHttpServer::SimHttpServer(Handler handler, QObject* parent)
    : QAbstractHttpServer(parent), handler_(std::move(handler))
{
}

bool SimHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    handler_(request, socket);
    return true;
}

void SimHttpServer::missingHandler(const QHttpServerRequest&, QTcpSocket*)
{
}

} // namespace parley::sim
