#include "app/ui/chat/SystemMessageViewModel.h"

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
    if (line.isEmpty())
        return words;
    // The service's lines mostly end a sentence of their own.
    const bool ended = line.endsWith(u'.') || line.endsWith(u'!') || line.endsWith(u'?');
    return line + (ended ? QStringLiteral(" ") : QStringLiteral(". ")) + words;
}

} // namespace parley
