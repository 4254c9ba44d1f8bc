#include "app/session/SessionController.h"

#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/Observe.h"
#include "platform/WhenFinished.h"

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

std::optional<RecentMessagesClient> makeRecentMessages(const std::optional<RecentMessagesService>& service)
{
    if (!service)
        return std::nullopt;
    return RecentMessagesClient(*service, std::make_shared<QNetworkAccessManager>());
}

} // namespace

SessionController::SessionController(TwitchAPI twitch, TwitchUserAccessToken accessToken,
    SessionControllerDelegate* delegate, ImageLoading& images, std::optional<CommunityEmoteServices> communityServices,
    std::optional<RecentMessagesService> recentMessages)
    : twitch_(std::move(twitch))
    , accessToken_(std::move(accessToken))
    , delegate_(delegate)
    , chat_(std::make_unique<TwitchChat>(twitch_.endpoints(), accessToken_, accessToken_.info.login))
    , emoteRegistry_(std::make_unique<EmoteRegistry>(twitch_, accessToken_))
    , communityEmotes_(makeCommunityEmotes(communityServices))
    , emoteImageLoader_(std::make_unique<EmoteImageLoader>(*emoteRegistry_, images))
    , badges_(std::make_unique<BadgeCatalogue>(twitch_, accessToken_))
    , recentMessages_(makeRecentMessages(recentMessages))
    , moderation_(std::make_unique<ModerationActions>(TwitchModeration(twitch_, accessToken_)))
{
    connect(chat_.get(), &TwitchChat::cleared, moderation_.get(), &ModerationActions::noteClear);
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
    connect(chat_.get(), &TwitchChat::connectionStateChanged, this, &SessionController::connectionChanged);
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

void SessionController::setLoadsRecentMessages(bool loads)
{
    loadsRecentMessages_ = loads;
    loadRecentMessages();
}

// A join, and a reconnect after the connection was down, may have missed
// messages; a move to another server (RECONNECT) keeps the phase and misses none.
void SessionController::connectionChanged()
{
    const bool connected = chat_->connectionState().phase == TwitchChatConnectionState::Phase::connected;
    if (connected && !wasConnected_) {
        wantsRecentMessages_ = true;
        loadRecentMessages();
    }
    wasConnected_ = connected;
}

void SessionController::loadRecentMessages()
{
    if (!recentMessages_ || !loadsRecentMessages_ || !wantsRecentMessages_ || isLoadingRecentMessages_)
        return;
    wantsRecentMessages_ = false;
    isLoadingRecentMessages_ = true;
    whenFinished(recentMessages_->recentMessages(chat_->channel()), this,
        [this](const QFuture<QStringList>& result) { receiveRecentMessages(result); });
}

void SessionController::receiveRecentMessages(const QFuture<QStringList>& result)
{
    isLoadingRecentMessages_ = false;
    std::exception_ptr error;
    QStringList lines;
    try {
        lines = result.result();
    } catch (...) {
        error = std::current_exception();
    }
    if (error) {
        Diagnostics::write(QStringLiteral("SessionController.recentMessagesFailed: ") + describe(error));
        chat_->insertHistoryNotice(QStringLiteral("Recent chat could not be loaded: ") + describe(error));
    } else {
        chat_->insertHistory(lines);
    }
    // Another reconnect while this was under way.
    loadRecentMessages();
}

} // namespace parley
