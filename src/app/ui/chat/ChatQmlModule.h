#pragma once

#include <QUrl>

class QQmlEngine;

namespace parley {

// The chat views' QML: the files compiled into the program and the C++ types
// they use ("import Parley.Chat"). MessageList.qml and TextMessageView.qml
// take a MessageListModel, a theme and an emote image loader, so any window
// can show chat rows (the Settings preview does).
class ChatQmlModule {
public:
    // Registers the types and the compiled-in files; safe to call repeatedly.
    static void registerTypes();

    // Adds the emote image provider of `store` to `engine`.
    static void addImageProvider(QQmlEngine& engine, const std::shared_ptr<const class EmoteImageStore>& store);

    // qrc:/parley/chat/NAME
    static QUrl fileURL(const QString& name);
};

} // namespace parley
