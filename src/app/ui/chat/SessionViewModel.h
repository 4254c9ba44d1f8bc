#pragma once

#include <QFuture>
#include <QObject>
#include <QString>

#include <functional>

class QAbstractItemModel;

namespace parley {

// The chat window's state: the message rows, the entry field's text, the send
// action and the lines under the entry bar (a failed send, a lost connection).
// Main thread only.
class SessionViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel* messages READ messages CONSTANT)
    Q_PROPERTY(QString newMessage READ newMessage WRITE setNewMessage NOTIFY newMessageChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY newMessageChanged)
    Q_PROPERTY(QString placeholder READ placeholder CONSTANT)
    Q_PROPERTY(QString sendButtonName READ sendButtonName CONSTANT)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QString disconnectedText READ disconnectedText NOTIFY connectionTextChanged)
    Q_PROPERTY(QString reconnectingText READ reconnectingText NOTIFY connectionTextChanged)

public:
    // Sends one chat message; the future fails when the message could not be sent.
    using SendMessage = std::function<QFuture<void>(const QString& text)>;

    // `messages` must outlive the view model.
    SessionViewModel(QAbstractItemModel& messages, SendMessage onSendMessage, QObject* parent = nullptr);

    QAbstractItemModel* messages() const { return &messages_; }

    const QString& newMessage() const { return newMessage_; }
    void setNewMessage(const QString& text);
    // A message of nothing but white space is not sent: the service drops it
    // without an answer.
    bool canSend() const { return !newMessage_.trimmed().isEmpty(); }

    QString placeholder() const { return QStringLiteral("Message..."); }
    QString sendButtonName() const { return QStringLiteral("Send"); }

    // "Failed to send message" once a send has failed, followed by ": " and
    // the reason when the chat gave one (the service refused the message);
    // empty before.
    const QString& errorMessage() const { return errorMessage_; }

    // "Disconnected from chat: " and the error's description once the
    // connection ended with an error; empty while connected.
    QString disconnectedText() const;
    // "Reconnecting in N s…" while a new attempt is waiting; empty otherwise.
    QString reconnectingText() const;

    // The error that ended the connection (empty: connected again).
    void setListenError(const QString& description);
    // Seconds until the next connection attempt; negative when none is waiting.
    void setRetryInSeconds(int seconds);

    // Sends the field's text as it is. On success the field is emptied (unless
    // it was edited meanwhile), on failure the text stays and the error line
    // appears. Returns at once.
    Q_INVOKABLE void send();

signals:
    void newMessageChanged();
    void errorMessageChanged();
    void connectionTextChanged();

private:
    void setErrorMessage(const QString& text);

    QAbstractItemModel& messages_;
    const SendMessage onSendMessage_;
    QString newMessage_;
    QString errorMessage_;
    QString listenError_;
    int retryInSeconds_ = -1;
};

} // namespace parley
