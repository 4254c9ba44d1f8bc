#pragma once

#include <QAbstractHttpServer>

#include <functional>

namespace parley::sim {

// The HTTP listener: hands every request with its socket to one handler, so
// the simulator writes answers byte by byte (and can break them on purpose).
// WebSocket upgrades go to QAbstractHttpServer's own WebSocket queue.
class SimHttpServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    using Handler = std::function<void(const QHttpServerRequest&, QTcpSocket*)>;

    explicit SimHttpServer(Handler handler, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    Handler handler_;
};

} // namespace parley::sim
