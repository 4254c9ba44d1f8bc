#include "SystemMessageViewModel.h"

#include "app/ui/chat/TextMessageViewModel.h"

namespace parley {

QString SystemMessageViewModel::headline(const TwitchChatSystemMessage& message)
{
    if (message.kind == TwitchChatSystemMessage::Kind::announcement && message.text.isEmpty())
        return QStringLiteral("Announcement");
    return message.text;
}

QString SystemMessageViewModel::accessibleName(const TwitchChatSystemMessage& message)
{
    const QString line = headline(message);
    if (!message.userMessage)
        return line;
    const QString words = TextMessageViewModel::accessibleName(*message.userMessage);
    return line.isEmpty() ? words : line + QStringLiteral(". ") + words;
}

} // namespace parley
