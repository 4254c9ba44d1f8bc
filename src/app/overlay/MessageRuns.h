#pragma once

#include <QJsonArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace parley {

class SessionController;
class TwitchChatTextMessage;

// Where a run's image is shown from: given the image's key in the emote
// image loader and its address on the web. None: the web address as it is.
using MessageRunImageAddress = std::function<QString(const QString& key, const QUrl& url)>;

// A chat message as the window composes it, one JSON object per run: whether
// it is from the recent history, why it stands out, its badges, then its text
// and emotes. The developer tool prints it and the streaming overlay sends
// it, so both show the same message.
QJsonArray messageRuns(
    const TwitchChatTextMessage& message, SessionController& session, const MessageRunImageAddress& imageAddress = {});

} // namespace parley
