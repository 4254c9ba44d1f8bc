#pragma once

#include "app/ui/QmlScreen.h"
#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/MessageMenuViewModel.h"
#include "app/ui/chat/SessionViewModel.h"

#include <QPointer>

namespace parley {

class SessionController;
class ThemeModifier;

// The chat window's content: SessionView.qml with the message rows of the
// session's chat, the send action over its chat client, the lines about the
// connection, the session's emote images and the theme of `themeModifier`.
// The shell puts this widget into the chat window (it is the widget; the
// window owns it as usual).
class SessionViewController final : public QmlScreen {
    Q_OBJECT

public:
    // `session` and `themeModifier` must outlive the controller.
    SessionViewController(SessionController& session, ThemeModifier& themeModifier, QWidget* parent = nullptr);
    ~SessionViewController() override;

    MessageListModel& messageListModel() { return *messages_; }
    SessionViewModel& viewModel() { return *viewModel_; }

private:
    QFuture<void> sendMessage(const QString& text, const QString& replyParentMessageID);

    QPointer<SessionController> session_;
    MessageListModel* messages_;
    SessionViewModel* viewModel_;
    MessageMenuViewModel* rowMenu_;
};

} // namespace parley
