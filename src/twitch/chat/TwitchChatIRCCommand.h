#pragma once

#include "platform/RawValue.h"

#include <QStringView>

#include <array>
#include <cstdint>
#include <utility>

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

// Command words are matched exactly and case-sensitively; "numeric" stands
// for the numeric replies.
template <>
struct RawValues<TwitchChatIRCCommand> {
    static constexpr std::array<std::pair<TwitchChatIRCCommand, QStringView>, 14> table { {
        { TwitchChatIRCCommand::join, u"JOIN" },
        { TwitchChatIRCCommand::part, u"PART" },
        { TwitchChatIRCCommand::privateMessage, u"PRIVMSG" },
        { TwitchChatIRCCommand::clearChat, u"CLEARCHAT" },
        { TwitchChatIRCCommand::clearMsg, u"CLEARMSG" },
        { TwitchChatIRCCommand::globalUserState, u"GLOBALUSERSTATE" },
        { TwitchChatIRCCommand::hostTarget, u"HOSTTARGET" },
        { TwitchChatIRCCommand::notice, u"NOTICE" },
        { TwitchChatIRCCommand::reconnect, u"RECONNECT" },
        { TwitchChatIRCCommand::roomState, u"ROOMSTATE" },
        { TwitchChatIRCCommand::userNotice, u"USERNOTICE" },
        { TwitchChatIRCCommand::userState, u"USERSTATE" },
        { TwitchChatIRCCommand::whisper, u"WHISPER" },
        { TwitchChatIRCCommand::numeric, u"numeric" },
    } };
};

} // namespace parley
