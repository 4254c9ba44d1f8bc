#include "twitch/chat/TwitchChatConnection.h"

#include "platform/Error.h"
#include "twitch/chat/TwitchChat.h"

namespace parley {

TwitchChatConnection::TwitchChatConnection(TwitchChat* chat) : chat_(chat) { }

TwitchChatConnection::~TwitchChatConnection()
{
    if (running_ && chat_)
        chat_->endConnection(this);
}

QString TwitchChatConnection::errorDescription() const
{
    return error_ ? describe(error_) : QString();
}

void TwitchChatConnection::cancel()
{
    if (running_ && chat_)
        chat_->endConnection(this);
}

void TwitchChatConnection::finish(std::exception_ptr error)
{
    if (!running_)
        return;
    running_ = false;
    error_ = std::move(error);
    chat_ = nullptr;
    QMetaObject::invokeMethod(this, &TwitchChatConnection::finished, Qt::QueuedConnection);
}

} // namespace parley
