#pragma once

#include "twitch/Instant.h"

#include <QString>

namespace parley {

// A chat message this client has sent and whose confirmation has not arrived.
struct PendingMessage {
    QString body; // as the user entered it
    Instant sentAt; // when it was handed to the socket
    QString replyParentMessageID; // the message it answers; empty for none

    bool operator==(const PendingMessage&) const = default;
};

} // namespace parley
