#include "app/session/SessionController.h"

#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/Observe.h"

#include <QNetworkAccessManager>
#include <QTimer>

#include <chrono>

namespace parley {

namespace {

std::unique_ptr<CommunityEmoteCatalogue> makeCommunityEmotes(const std::optional<CommunityEmoteServices>& services)
{
    if (!services)
        return nullptr;
    return std::make_unique<CommunityEmoteCatalogue>(
        CommunityEmoteClient(*services, std::make_shared<QNetworkAccessManager>()));
}

} // namespace

SessionController::SessionController(TwitchAPI twitch, TwitchUserAccessToken accessToken,
    SessionControllerDelegate* delegate, ImageLoading& images, std::optional<CommunityEmoteServices> communityServices)
    : twitch_(std::move(twitch))
    , accessToken_(std::move(accessToken))
    , delegate_(delegate)
    , chat_(std::make_unique<TwitchChat>(twitch_.endpoints(), accessToken_, accessToken_.info.login))
    , emoteRegistry_(std::make_unique<EmoteRegistry>(twitch_, accessToken_))
    , communityEmotes_(makeCommunityEmotes(communityServices))
    , emoteImageLoader_(std::make_unique<EmoteImageLoader>(*emoteRegistry_, images))
    , badges_(std::make_unique<BadgeCatalogue>(twitch_, accessToken_))
{
    if (communityEmotes_)
        useCommunityEmotes();
    // Started on the next turn so the owner can wire itself up first.
    QTimer::singleShot(std::chrono::milliseconds(0), this, &SessionController::start);
}

// The listen run goes first (members end in reverse order), and a listen run
// that is destroyed is cancelled without announcing it: a session that ends by
// being released reports nothing.
SessionController::~SessionController() = default;

void SessionController::start()
{
    emoteRegistry_->loadEmoteSet(EmoteSet::global());
    badges_->loadGlobal();
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

// Every room state names the room; the community sets load for the first.
void SessionController::loadChannelEmotes(const std::optional<RoomState>& room)
{
    if (!room)
        return;
    emoteRegistry_->loadEmoteSet(EmoteSet::channel(room->id));
    badges_->loadChannel(room->id);
    if (communityEmotes_ && communityEmotes_->roomID() != room->id)
        communityEmotes_->load(room->id);
}

void SessionController::useCommunityEmotes()
{
    CommunityEmoteCatalogue* catalogue = communityEmotes_.get();
    emoteImageLoader_->setCommunityEmotes([catalogue](QStringView word) { return catalogue->find(word); });
    connect(catalogue, &CommunityEmoteCatalogue::emotesChanged, emoteImageLoader_.get(),
        &EmoteImageLoader::imagesChanged);
    connect(catalogue, &CommunityEmoteCatalogue::loadFailed, this,
        [](CommunityEmoteProvider provider, CommunityEmoteCatalogue::Scope scope, const QString& description) {
            const QStringView scopeName = scope == CommunityEmoteCatalogue::Scope::global ? u"global" : u"channel";
            Diagnostics::write(QStringLiteral("SessionController.communityEmotesFailed: %1 %2: %3")
                                   .arg(wireName(provider), scopeName, description));
        });
}

} // namespace parley
