#pragma once

#include "twitch/chat/TwitchChatSystemMessage.h"

#include <QString>

namespace parley {

// What a chat row shows of a system line, decided here so the row's QML only
// lays it out. A line that carries a chatter's own words (a resubscription's
// message, an announcement) shows them under the headline like a message.
class SystemMessageViewModel {
public:
    // The line above the chatter's words: the service's text, or
    // "Announcement" for an announcement, which has none of its own.
    static QString headline(const TwitchChatSystemMessage& message);

    // The row as one sentence for screen readers: the headline, then the
    // chatter's words the way a message row reads them.
    static QString accessibleName(const TwitchChatSystemMessage& message);
};

} // namespace parley
