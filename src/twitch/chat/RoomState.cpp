#include "twitch/chat/RoomState.h"

namespace parley {

std::optional<RoomState> RoomState::fromLine(const TwitchChatIRCMessage& line)
{
    using Tag = TwitchChatIRCMessage::Tag;
    const auto& tags = line.tags();
    const auto id = tags.value(Tag::roomID);
    if (line.command() != TwitchChatIRCCommand::roomState || !id)
        return std::nullopt;
    return RoomState {
        id->toString(),
        tags[Tag::followersOnly] == u"1",
        tags[Tag::emoteOnly] == u"1",
        tags[Tag::slow] == u"1",
        tags[Tag::subscribersOnly] == u"1",
    };
}

} // namespace parley
