#pragma once

#include <QObject>
#include <QPointer>

#include <exception>

namespace parley {

class TwitchChat;

// One run of TwitchChat::connect(): the connect sequence, then the receive loop
// through any reconnects until it ends. It ends exactly once; isRunning() turns false at once, and
// finished() follows on a later turn of the event loop (so a caller can always
// connect to it after connect() returned):
// - cancelled (error() is null): cancel() was called, the chat client was
//   destroyed, or a connection was already open when connect() was called;
// - failed (error() holds the error): the service refused the login, or the
//   chat address cannot be used; connections that fail are tried again.
// Destroying a running connection cancels it without announcing anything.
class TwitchChatConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY finished)

public:
    ~TwitchChatConnection() override;

    bool isRunning() const { return running_; }
    // Null while running and after a cancellation.
    std::exception_ptr error() const { return error_; }
    // The error's description; empty while running and after a cancellation.
    QString errorDescription() const;

public slots:
    // Closes the socket and finishes as cancelled. Does nothing once finished.
    void cancel();

signals:
    void finished();

private:
    friend class TwitchChat;
    explicit TwitchChatConnection(TwitchChat* chat);

    // Called by the chat client: marks the run as ended and announces it.
    void finish(std::exception_ptr error);

    QPointer<TwitchChat> chat_;
    bool running_ = true;
    std::exception_ptr error_;
};

} // namespace parley
