#include "SessionViewController.h"

#include "app/session/SessionController.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/ChatQmlModule.h"
#include "platform/Diagnostics.h"
#include "platform/Observe.h"
#include "twitch/chat/TwitchChatError.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWidget>
#include <QVBoxLayout>

namespace parley {

SessionViewController::SessionViewController(SessionController& session, ThemeModifier& themeModifier, QWidget* parent)
    : QWidget(parent)
    , session_(&session)
    , messages_(new MessageListModel(*session.chat(), this))
    , viewModel_(new SessionViewModel(
          *messages_, [this](const QString& text) { return sendMessage(text); }, this))
    , quickWidget_(new QQuickWidget(this))
{
    ChatQmlModule::registerTypes();
    TwitchChat* chat = session.chat();
    connect(chat, &TwitchChat::messagesDropped, messages_, &MessageListModel::messagesDropped);
    observe(chat, &TwitchChat::connectionState, &TwitchChat::connectionStateChanged, this,
        [this](const TwitchChatConnectionState& state) { viewModel_->setConnectionState(state); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(quickWidget_);
    quickWidget_->setResizeMode(QQuickWidget::SizeRootObjectToView);
    setMinimumSize(250, 300);

    QQmlEngine& engine = *quickWidget_->engine();
    ChatQmlModule::addImageProvider(engine, session.emoteImageLoader()->store());

    const QUrl url = ChatQmlModule::fileURL(QStringLiteral("SessionView.qml"));
    auto* component = new QQmlComponent(&engine, url, this);
    QObject* root = component->createWithInitialProperties(
        {
            { QStringLiteral("viewModel"), QVariant::fromValue(viewModel_) },
            { QStringLiteral("theme"), QVariant::fromValue(themeModifier.theme()) },
            { QStringLiteral("emoteImages"), QVariant::fromValue(session.emoteImageLoader()) },
        },
        quickWidget_->rootContext());
    if (!root) {
        Diagnostics::write(QStringLiteral("SessionViewController.loadFailed: ") + component->errorString());
        return;
    }
    // The theme follows the modifier from now on.
    connect(&themeModifier, &ThemeModifier::themeChanged, root,
        [root, &themeModifier] { root->setProperty("theme", QVariant::fromValue(themeModifier.theme())); });
    quickWidget_->setContent(url, component, root);
}

SessionViewController::~SessionViewController() = default;

QObject* SessionViewController::rootObject() const
{
    return quickWidget_->rootObject();
}

QFuture<void> SessionViewController::sendMessage(const QString& text)
{
    if (!session_)
        return QtFuture::makeExceptionalFuture(std::make_exception_ptr(TwitchChatError::notConnected()));
    return session_->chat()->send(text);
}

} // namespace parley
