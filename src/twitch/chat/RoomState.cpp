#include "twitch/chat/RoomState.h"

#include <algorithm>

namespace parley {

namespace {

using Tag = TwitchChatIRCMessage::Tag;

// The sign of an integer written as an optional "-" and ASCII digits (any
// length: a huge number of minutes is still on); nothing for anything else.
std::optional<int> integerSign(QStringView value)
{
    const bool negative = value.startsWith(u'-');
    const QStringView digits = negative ? value.sliced(1) : value;
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    if (std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0'; }))
        return 0;
    return negative ? -1 : 1;
}

// Reads one setting when the line carries it; otherwise keeps `flag`.
template <typename IsOn>
void update(bool& flag, const TwitchChatIRCMessage::Tags& tags, Tag tag, IsOn isOn)
{
    if (const auto value = tags.value(tag))
        flag = isOn(*value);
}

bool isOne(QStringView value)
{
    return value == u"1";
}

} // namespace

std::optional<RoomState> RoomState::fromLine(const TwitchChatIRCMessage& line, const std::optional<RoomState>& previous)
{
    const auto& tags = line.tags();
    const auto id = tags.value(Tag::roomID);
    if (line.command() != TwitchChatIRCCommand::roomState || !id)
        return std::nullopt;
    RoomState room = previous && previous->id == *id ? *previous : RoomState { id->toString() };
    update(room.isFollowersOnly, tags, Tag::followersOnly,
        [](QStringView value) { return integerSign(value).value_or(-1) >= 0; });
    update(room.isEmoteOnly, tags, Tag::emoteOnly, isOne);
    update(room.isSlow, tags, Tag::slow, [](QStringView value) { return integerSign(value).value_or(0) > 0; });
    update(room.isSubscribersOnly, tags, Tag::subscribersOnly, isOne);
    return room;
}

} // namespace parley
