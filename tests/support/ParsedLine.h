#pragma once

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatIRCMessage.h"

namespace parley::test {

// A chat service line parsed as the client parses it, the parser's notes on
// malformed parts kept out of the test output.
inline TwitchChatIRCMessage parsedLine(const QString& line)
{
    DiagnosticsSilence quiet;
    return TwitchChatIRCMessage::parse(line);
}

} // namespace parley::test
