#include "app/ui/chat/ChatQmlModule.h"

#include "app/session/EmoteImageLoader.h"
#include "app/ui/chat/AnimatedEmoteItem.h"
#include "app/ui/chat/EmoteImageProvider.h"
#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/MessageListScrollState.h"
#include "app/ui/chat/MessageMenuViewModel.h"
#include "app/ui/chat/MessageSearchFilter.h"
#include "app/ui/chat/SessionViewModel.h"
#include "app/ui/chat/TextOutlineItem.h"
#include "app/ui/chat/TextWithEmotesRenderer.h"
#include "app/ui/chat/ViewerCardViewModel.h"

#include <QQmlEngine>

// Resources of a static library are not registered until asked for by name,
// outside any namespace.
static void initChatResources()
{
    Q_INIT_RESOURCE(chat);
}

namespace parley {

void ChatQmlModule::registerTypes()
{
    static const bool registered = [] {
        initChatResources();
        const char* uri = "Parley.Chat";
        qmlRegisterType<TextWithEmotesRenderer>(uri, 1, 0, "TextWithEmotesRenderer");
        qmlRegisterType<AnimatedEmoteItem>(uri, 1, 0, "AnimatedEmoteItem");
        qmlRegisterType<TextOutlineItem>(uri, 1, 0, "TextOutlineItem");
        qmlRegisterType<MessageListScrollState>(uri, 1, 0, "MessageListScrollState");
        qmlRegisterUncreatableType<MessageListModel>(uri, 1, 0, "MessageListModel", QStringLiteral("made in C++"));
        qmlRegisterUncreatableType<SessionViewModel>(uri, 1, 0, "SessionViewModel", QStringLiteral("made in C++"));
        qmlRegisterUncreatableType<MessageMenuViewModel>(
            uri, 1, 0, "MessageMenuViewModel", QStringLiteral("made in C++"));
        qmlRegisterUncreatableType<MessageSearchFilter>(uri, 1, 0, "MessageSearchFilter", QStringLiteral("made in C++"));
        qmlRegisterUncreatableType<ViewerCardViewModel>(uri, 1, 0, "ViewerCardViewModel", QStringLiteral("made in C++"));
        qmlRegisterUncreatableType<ViewerMessageFilter>(uri, 1, 0, "ViewerMessageFilter", QStringLiteral("made in C++"));
        qmlRegisterUncreatableType<EmoteImageLoader>(uri, 1, 0, "EmoteImageLoader", QStringLiteral("made in C++"));
        return true;
    }();
    Q_UNUSED(registered);
}

void ChatQmlModule::addImageProvider(QQmlEngine& engine, const std::shared_ptr<const EmoteImageStore>& store)
{
    engine.addImageProvider(QLatin1String(EmoteImageProvider::providerID), new EmoteImageProvider(store));
}

QUrl ChatQmlModule::fileURL(const QString& name)
{
    return QUrl(QStringLiteral("qrc:/parley/chat/") + name);
}

} // namespace parley
