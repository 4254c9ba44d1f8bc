#pragma once

#include "app/session/BadgeCatalogue.h"
#include "app/session/EmoteImageLoader.h"
#include "app/session/EmoteRegistry.h"
#include "app/session/ModerationActions.h"
#include "app/session/SessionControllerDelegate.h"
#include "community/CommunityEmoteCatalogue.h"
#include "community/CommunityEmoteServices.h"
#include "community/RecentMessagesClient.h"
#include "images/pipeline/ImageLoading.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchUserAccessToken.h"
#include "twitch/chat/TwitchChat.h"
#include "twitch/chat/TwitchChatConnection.h"

#include <QObject>
#include <QString>

#include <exception>
#include <memory>
#include <optional>

namespace parley {

// Everything that lives while a user is signed in: the chat client of the
// user's own channel, the session's emote registry, emote image loader and
// badge catalogue, and the one listen run that keeps the chat connected.
// Construction starts the session on the next turn of the event loop (the
// global emotes and badges, the listen run, the channel's emotes and badges
// at every room state); destruction cancels
// the listen run without reporting it. The chat client reconnects by itself:
// the listen run ends only when the chat fails for good. Main thread only.
class SessionController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::TwitchChat* chat READ chat CONSTANT)
    Q_PROPERTY(parley::EmoteRegistry* emoteRegistry READ emoteRegistry CONSTANT)
    Q_PROPERTY(parley::EmoteImageLoader* emoteImageLoader READ emoteImageLoader CONSTANT)
    Q_PROPERTY(parley::BadgeCatalogue* badges READ badges CONSTANT)
    Q_PROPERTY(parley::ModerationActions* moderation READ moderation CONSTANT)
    Q_PROPERTY(bool isListening READ isListening NOTIFY isListeningChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)

public:
    // `accessToken` is the validated token of the signed-in user; its login
    // names the channel to join. The chat service's address comes from
    // `twitch.endpoints()`. `delegate` (may be null) is the owner; it is not
    // owned and must outlive the session. Emote images load through
    // `images`, which must outlive the session too. With `communityServices`,
    // the channel's community emotes load once its room id is known; with
    // `recentMessages`, the chat's recent history can load (see
    // setLoadsRecentMessages).
    SessionController(TwitchAPI twitch, TwitchUserAccessToken accessToken, SessionControllerDelegate* delegate,
        ImageLoading& images, std::optional<CommunityEmoteServices> communityServices = std::nullopt,
        std::optional<RecentMessagesService> recentMessages = std::nullopt);
    ~SessionController() override;

    TwitchChat* chat() const { return chat_.get(); }
    EmoteRegistry* emoteRegistry() const { return emoteRegistry_.get(); }
    EmoteImageLoader* emoteImageLoader() const { return emoteImageLoader_.get(); }
    // The chat badges: global ones from the start, the channel's once its room id is known.
    BadgeCatalogue* badges() const { return badges_.get(); }
    // The broadcaster's moderation of their chat; it follows the chat's bans.
    ModerationActions* moderation() const { return moderation_.get(); }
    // Null without community services.
    CommunityEmoteCatalogue* communityEmotes() const { return communityEmotes_.get(); }
    SessionControllerDelegate* delegate() const { return delegate_; }
    const TwitchUserAccessToken& accessToken() const { return accessToken_; }

    // Whether the chat asks the recent chat service (a third party, so off
    // until the user turns it on) for the last messages each time it joins
    // and after a reconnect that lost messages. Turned on while joined, it
    // asks at once if it has not yet for this connection. A failure shows as
    // a notice line in the chat.
    void setLoadsRecentMessages(bool loads);
    bool loadsRecentMessages() const { return loadsRecentMessages_; }

    // The running listen run; null before the session starts and once the run has ended.
    TwitchChatConnection* chatListenTask() const { return chatListenTask_.get(); }
    bool isListening() const { return chatListenTask_ != nullptr; }
    // The description of the error that ended the listen run; empty while
    // none has.
    const QString& lastError() const { return lastError_; }

signals:
    // The error that ended the chat connection, once; emitted after
    // `isListening` and `lastError` hold their new values.
    void errors(const std::exception_ptr& error);
    void isListeningChanged();
    void lastErrorChanged();

private:
    void start();
    void listenFinished();
    void loadChannelEmotes(const std::optional<RoomState>& room);
    void useCommunityEmotes();
    void connectionChanged();
    void loadRecentMessages();
    void receiveRecentMessages(const QFuture<QStringList>& result);

    const TwitchAPI twitch_;
    const TwitchUserAccessToken accessToken_;
    SessionControllerDelegate* const delegate_;
    // Destroyed in reverse order: the listen run before its chat client, the
    // loader before the registry and the community emotes it reads.
    const std::unique_ptr<TwitchChat> chat_;
    const std::unique_ptr<EmoteRegistry> emoteRegistry_;
    const std::unique_ptr<CommunityEmoteCatalogue> communityEmotes_;
    const std::unique_ptr<EmoteImageLoader> emoteImageLoader_;
    const std::unique_ptr<BadgeCatalogue> badges_;
    const std::unique_ptr<ModerationActions> moderation_;
    std::unique_ptr<TwitchChatConnection> chatListenTask_;
    QString lastError_;
    const std::optional<RecentMessagesClient> recentMessages_;
    bool loadsRecentMessages_ = false;
    // The chat (re)joined since the recent messages were last asked for.
    bool wantsRecentMessages_ = false;
    bool isLoadingRecentMessages_ = false;
    bool wasConnected_ = false;
};

} // namespace parley
