#pragma once

#include "app/overlay/OverlayFeed.h"
#include "app/overlay/OverlayServer.h"

#include <QObject>

namespace parley {

class SessionController;

// The overlay of one signed-in session: its chat as the feed, the images its
// emote image loader holds, served by one OverlayServer. Images a message
// shows are asked for as the message is published, as a chat row does.
class SessionOverlay : public QObject {
    Q_OBJECT

public:
    // `session` must outlive the overlay.
    explicit SessionOverlay(SessionController& session, QObject* parent = nullptr);

    // See OverlayServer::listen.
    bool listen(const OverlayOptions& options) { return server_.listen(options); }
    void setOptions(const OverlayOptions& options) { server_.setOptions(options); }
    QString address() const { return server_.address(); }
    OverlayServer& server() { return server_; }

private:
    QString imageAddress(const QString& key, const QUrl& url);

    SessionController& session_;
    OverlayFeed feed_;
    OverlayServer server_;
};

} // namespace parley
