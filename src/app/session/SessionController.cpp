#include "app/session/SessionController.h"

#include "platform/Error.h"
#include "platform/Observe.h"

#include <QTimer>

namespace parley {

SessionController::SessionController(
    TwitchAPI twitch, TwitchUserAccessToken accessToken, SessionControllerDelegate* delegate, ImageLoading& images)
    : twitch_(std::move(twitch))
    , accessToken_(std::move(accessToken))
    , delegate_(delegate)
    , chat_(std::make_unique<TwitchChat>(twitch_.endpoints(), accessToken_, accessToken_.info.login))
    , emoteRegistry_(std::make_unique<EmoteRegistry>(twitch_, accessToken_))
    , emoteImageLoader_(std::make_unique<EmoteImageLoader>(*emoteRegistry_, images))
{
    // Started on the next turn so the owner can wire itself up first.
    QTimer::singleShot(0, this, &SessionController::start);
}

// The listen run goes first (members end in reverse order), and a listen run
// that is destroyed is cancelled without announcing it: a session that ends by
// being released reports nothing.
SessionController::~SessionController() = default;

void SessionController::start()
{
    emoteRegistry_->loadEmoteSet(EmoteSet::global());
    chatListenTask_ = chat_->connect();
    connect(chatListenTask_.get(), &TwitchChatConnection::finished, this, &SessionController::listenFinished);
    emit isListeningChanged();
    observe(chat_.get(), &TwitchChat::room, &TwitchChat::roomChanged, this,
        [this](const std::optional<RoomState>& room) { loadChannelEmotes(room); });
}

void SessionController::listenFinished()
{
    const std::exception_ptr error = chatListenTask_->error();
    // The run is inside its own signal: delete it once that has returned.
    chatListenTask_.release()->deleteLater();
    if (error)
        lastError_ = describe(error);
    emit isListeningChanged();
    if (!error)
        return;
    emit lastErrorChanged();
    emit errors(error);
}

void SessionController::loadChannelEmotes(const std::optional<RoomState>& room)
{
    if (room)
        emoteRegistry_->loadEmoteSet(EmoteSet::channel(room->id));
}

} // namespace parley
