#pragma once

#include "twitch/chat/TwitchChatMessage.h"

#include <QList>
#include <QStringList>

namespace parley {

// Reads the recent history's lines (raw chat lines, oldest first, carrying
// the history service's own tags "historical", "rm-received-ts" and
// "rm-deleted") as the chat reads live ones: chatters' messages, channel
// events, and moderators' removals, which mark the lines before them deleted
// and give their system lines. Every message comes out marked historical; a
// line the service marks deleted comes out deleted. Other commands and lines
// that do not read are skipped.
QList<TwitchChatMessage> readRecentChatLines(const QStringList& lines);

} // namespace parley
