#include "app/overlay/OverlayMessage.h"

#include "app/session/SessionController.h"
#include "app/ui/chat/SystemMessageViewModel.h"
#include "app/ui/chat/TextMessageViewModel.h"
#include "twitch/chat/TwitchChatMessage.h"

#include <QUuid>

namespace parley {
namespace {

QJsonObject textMessage(
    const TwitchChatTextMessage& text, SessionController& session, const MessageRunImageAddress& imageAddress)
{
    const QColor color = TextMessageViewModel::nameColor(text);
    QJsonObject object {
        { "id", text.id() },
        { "name", text.displayName() },
        { "color", color.isValid() ? color.name() : QString() },
        { "runs", messageRuns(text, session, imageAddress) },
    };
    if (text.isAction())
        object.insert(QLatin1String("action"), true);
    if (const QString reply = TextMessageViewModel::replyLine(text); !reply.isEmpty())
        object.insert(QLatin1String("reply"), reply);
    return object;
}

} // namespace

QJsonObject overlayMessage(
    const TwitchChatMessage& message, SessionController& session, const MessageRunImageAddress& imageAddress)
{
    if (const TwitchChatTextMessage* text = message.text())
        return textMessage(*text, session, imageAddress);
    const TwitchChatSystemMessage& system = *message.system();
    QJsonObject object = system.userMessage ? textMessage(*system.userMessage, session, imageAddress) : QJsonObject();
    // Lines without an id of their own (timeouts, notices) still need one the page can tell apart.
    object.insert(
        QLatin1String("id"), system.id.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : system.id);
    object.insert(QLatin1String("system"), SystemMessageViewModel::headline(system));
    return object;
}

} // namespace parley
