#include "SessionViewController.h"

#include "app/session/SessionController.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/ChatQmlModule.h"
#include "platform/Diagnostics.h"
#include "platform/Observe.h"
#include "twitch/chat/WebSocketError.h"

#include <QPromise>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWidget>
#include <QVBoxLayout>

namespace parley {

namespace {

QFuture<void> failedSend()
{
    QPromise<void> promise;
    promise.start();
    promise.setException(std::make_exception_ptr(
        WebSocketError(QAbstractSocket::NetworkError, QStringLiteral("not connected to chat"))));
    promise.finish();
    return promise.future();
}

} // namespace

SessionViewController::SessionViewController(SessionController& session, ThemeModifier& themeModifier,
                                             QWidget* parent)
    : QWidget(parent)
    , session_(&session)
    , messages_(new MessageListModel(*session.chat(), this))
    , viewModel_(new SessionViewModel(*messages_, [this](const QString& text) { return sendMessage(text); }, this))
    , quickWidget_(new QQuickWidget(this))
{
    ChatQmlModule::registerTypes();
    observe(&session, &SessionController::lastError, &SessionController::lastErrorChanged, this,
            [this](const QString& error) { viewModel_->setListenError(error); });

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
    connect(&themeModifier, &ThemeModifier::themeChanged, root, [root, &themeModifier] {
        root->setProperty("theme", QVariant::fromValue(themeModifier.theme()));
    });
    quickWidget_->setContent(url, component, root);
}

SessionViewController::~SessionViewController() = default;

QObject* SessionViewController::rootObject() const
{
    return quickWidget_->rootObject();
}

// Without an open connection the chat client would drop the text and report
// success; the user keeps the text and sees the failure instead.
QFuture<void> SessionViewController::sendMessage(const QString& text)
{
    if (!session_ || !session_->chat()->isConnected())
        return failedSend();
    return session_->chat()->send(text);
}

} // namespace parley
