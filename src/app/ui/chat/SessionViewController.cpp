#include "app/ui/chat/SessionViewController.h"

#include "app/session/SessionController.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/ChatQmlModule.h"
#include "app/ui/chat/SessionViewerModeration.h"
#include "platform/Observe.h"
#include "platform/FailedFuture.h"
#include "twitch/chat/TwitchChatError.h"

#include <QQuickWidget>

namespace parley {

SessionViewController::SessionViewController(SessionController& session, ThemeModifier& themeModifier, QWidget* parent)
    : QmlScreen(parent)
    , session_(&session)
    , messages_(new MessageListModel(*session.chat(), this))
    , viewModel_(new SessionViewModel(
          *messages_,
          [this](const QString& text, const QString& replyParentMessageID) {
              return sendMessage(text, replyParentMessageID);
          },
          this))
    , rowMenu_(new MessageMenuViewModel(
          *messages_, *viewModel_, session.moderation(), session.accessToken().info.userID, this))
{
    ChatQmlModule::registerTypes();
    messages_->setBadgeSources(session.badges(), session.emoteImageLoader());
    viewModel_->setViewerCardSources(
        session.accessToken().info.userID, new SessionViewerModeration(*session.moderation(), this));
    observe(&themeModifier, &ThemeModifier::theme, &ThemeModifier::themeChanged, this,
        [this, &session](const Theme& theme) {
            messages_->setShowBadges(theme.showBadges);
            viewModel_->setOverlayOpacity(theme.overlayOpacity);
            const TwitchUserAccessToken::Info& broadcaster = session.accessToken().info;
            messages_->setHighlightRules(
                { broadcaster.login, broadcaster.userID, theme.highlightMentions, theme.highlightFirstMessages });
        });
    TwitchChat* chat = session.chat();
    observe(chat, &TwitchChat::connectionState, &TwitchChat::connectionStateChanged, this,
        [this](const TwitchChatConnectionState& state) { viewModel_->setConnectionState(state); });
    setMinimumSize(250, 300);
    ChatQmlModule::addImageProvider(*quickWidget()->engine(), session.emoteImageLoader()->store());
    load(ChatQmlModule::fileURL(QStringLiteral("SessionView.qml")),
        {
            { QStringLiteral("viewModel"), QVariant::fromValue(viewModel_) },
            { QStringLiteral("themeModifier"), QVariant::fromValue(&themeModifier) },
            { QStringLiteral("emoteImages"), QVariant::fromValue(session.emoteImageLoader()) },
            { QStringLiteral("rowMenu"), QVariant::fromValue(rowMenu_) },
        });
}

SessionViewController::~SessionViewController() = default;

QFuture<void> SessionViewController::sendMessage(const QString& text, const QString& replyParentMessageID)
{
    if (!session_)
        return failedFuture(TwitchChatError::notConnected());
    return session_->chat()->send(text, replyParentMessageID);
}

} // namespace parley
