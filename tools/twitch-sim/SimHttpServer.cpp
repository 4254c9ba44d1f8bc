#include "twitch-sim/SimHttpServer.h"

#include <QHttpServerRequest>

namespace parley::sim {

SimHttpServer::SimHttpServer(Handler handler, QObject* parent)
    : QAbstractHttpServer(parent), handler_(std::move(handler))
{ }

bool SimHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    // Left unanswered: the base class hands WebSocket upgrades to the chat service.
    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
        return true;
    handler_(request, socket);
    return true;
}

void SimHttpServer::missingHandler(const QHttpServerRequest&, QTcpSocket*) { }

} // namespace parley::sim
