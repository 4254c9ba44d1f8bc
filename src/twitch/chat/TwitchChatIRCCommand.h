#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace parley {

// The command word of a received chat line. Every numeric reply ("001",
// "353", ...) is `numeric`; the number itself is not kept.
enum class TwitchChatIRCCommand : std::uint8_t {
    join,
    part,
    privateMessage,
    clearChat,
    clearMsg,
    globalUserState,
    hostTarget,
    notice,
    reconnect,
    roomState,
    userNotice,
    userState,
    whisper,
    numeric,
};

// The wire word of a command ("numeric" for numeric replies).
QStringView rawValue(TwitchChatIRCCommand command);

// The command whose wire word is exactly `word` (case-sensitive), if any.
std::optional<TwitchChatIRCCommand> twitchChatIRCCommandFromRawValue(QStringView word);

} // namespace parley
