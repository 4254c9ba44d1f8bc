#include "twitch/chat/TwitchChatIRCCommand.h"

#include <array>

namespace parley {

namespace {

constexpr std::array<QStringView, 14> commandWords {
    u"JOIN", u"PART", u"PRIVMSG", u"CLEARCHAT", u"CLEARMSG", u"GLOBALUSERSTATE",
    u"HOSTTARGET", u"NOTICE", u"RECONNECT", u"ROOMSTATE", u"USERNOTICE",
    u"USERSTATE", u"WHISPER", u"numeric",
};

} // namespace

QStringView rawValue(TwitchChatIRCCommand command)
{
    return commandWords[static_cast<std::size_t>(command)];
}

std::optional<TwitchChatIRCCommand> twitchChatIRCCommandFromRawValue(QStringView word)
{
    for (std::size_t i = 0; i < commandWords.size(); ++i)
        if (commandWords[i] == word)
            return static_cast<TwitchChatIRCCommand>(i);
    return std::nullopt;
}

} // namespace parley
