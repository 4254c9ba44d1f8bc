#pragma once

#include "app/overlay/MessageRuns.h"

#include <QJsonObject>

namespace parley {

class SessionController;
class TwitchChatMessage;

// What the overlay's page draws of a chat message: {"id", "name", "color",
// "runs"} and, when they apply, "action": true and "reply" (the line above a
// reply). A system line is {"id", "system"} with its headline, plus the
// chatter's words like a message when it carries them.
QJsonObject overlayMessage(
    const TwitchChatMessage& message, SessionController& session, const MessageRunImageAddress& imageAddress);

} // namespace parley
