#include "SessionViewModel.h"

#include "twitch/chat/TwitchChatError.h"

namespace parley {

SessionViewModel::SessionViewModel(QAbstractItemModel& messages, SendMessage onSendMessage, QObject* parent)
    : QObject(parent), messages_(messages), onSendMessage_(std::move(onSendMessage))
{ }

void SessionViewModel::setNewMessage(const QString& text)
{
    if (text == newMessage_)
        return;
    newMessage_ = text;
    emit newMessageChanged();
}

QString SessionViewModel::disconnectedText() const
{
    if (listenError_.isEmpty())
        return {};
    return QStringLiteral("Disconnected from chat: ") + listenError_;
}

QString SessionViewModel::reconnectingText() const
{
    if (retryInSeconds_ < 0)
        return {};
    return QStringLiteral("Reconnecting in %1 s\u2026").arg(retryInSeconds_);
}

void SessionViewModel::setListenError(const QString& description)
{
    if (description == listenError_)
        return;
    listenError_ = description;
    emit connectionTextChanged();
}

void SessionViewModel::setRetryInSeconds(int seconds)
{
    seconds = std::max(seconds, -1);
    if (seconds == retryInSeconds_)
        return;
    retryInSeconds_ = seconds;
    emit connectionTextChanged();
}

void SessionViewModel::send()
{
    if (!canSend())
        return;
    const QString text = newMessage_;
    // Text typed while the send was under way is kept.
    onSendMessage_(text)
        .then(this,
            [this, text] {
                if (newMessage_ == text)
                    setNewMessage({});
            })
        .onFailed(this,
            [this](const TwitchChatError& error) {
                setErrorMessage(QStringLiteral("Failed to send message: ") + error.description());
            })
        .onFailed(this, [this] { setErrorMessage(QStringLiteral("Failed to send message")); });
}

void SessionViewModel::setErrorMessage(const QString& text)
{
    if (text == errorMessage_)
        return;
    errorMessage_ = text;
    emit errorMessageChanged();
}

} // namespace parley
