#pragma once

#include "twitch/chat/TwitchChatMessage.h"

#include <QList>

namespace parley {

// The sample chat of the Settings preview: a message from a user in red, the
// broadcaster's messages, and messages without a colour from one sentence to
// a paragraph, all at the time they were first asked for. They show the
// fonts, the spacing, name colours, the badge, times and line wrapping.
const QList<TwitchChatMessage>& previewMessages();

} // namespace parley
