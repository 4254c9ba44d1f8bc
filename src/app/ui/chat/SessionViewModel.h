#pragma once

#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/MessageSearchFilter.h"
#include "app/ui/chat/ViewerCardViewModel.h"
#include "twitch/chat/TwitchChatConnectionState.h"

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace parley {

// The chat window's state: the message rows, the entry field's text with its
// length, the send action and the lines under the entry bar (the length
// limit, a failed send, a lost connection). Everything the view shows is
// decided here. Main thread only.
class SessionViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::MessageListModel* messages READ messages CONSTANT)
    Q_PROPERTY(parley::MessageSearchFilter* shownMessages READ shownMessages CONSTANT)
    Q_PROPERTY(bool isSearching READ isSearching NOTIFY searchChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchChanged)
    Q_PROPERTY(QString searchPlaceholder READ searchPlaceholder CONSTANT)
    Q_PROPERTY(QString closeSearchName READ closeSearchName CONSTANT)
    Q_PROPERTY(QString noMatchesText READ noMatchesText NOTIFY noMatchesTextChanged)
    Q_PROPERTY(parley::ViewerCardViewModel* viewerCard READ viewerCard NOTIFY viewerCardChanged)
    Q_PROPERTY(QString newMessage READ newMessage WRITE setNewMessage NOTIFY newMessageChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY newMessageChanged)
    Q_PROPERTY(int characterCount READ characterCount NOTIFY newMessageChanged)
    Q_PROPERTY(QString characterCountText READ characterCountText NOTIFY newMessageChanged)
    Q_PROPERTY(QString characterCountName READ characterCountName NOTIFY newMessageChanged)
    Q_PROPERTY(bool isTooLong READ isTooLong NOTIFY newMessageChanged)
    Q_PROPERTY(QString lengthMessage READ lengthMessage NOTIFY newMessageChanged)
    Q_PROPERTY(QString placeholder READ placeholder CONSTANT)
    Q_PROPERTY(QString sendButtonName READ sendButtonName CONSTANT)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QString replyingTo READ replyingTo NOTIFY replyChanged)
    Q_PROPERTY(QString cancelReplyName READ cancelReplyName CONSTANT)
    Q_PROPERTY(QString disconnectedText READ disconnectedText NOTIFY connectionTextChanged)
    Q_PROPERTY(QString reconnectingText READ reconnectingText NOTIFY connectionTextChanged)
    Q_PROPERTY(bool overlayMode READ overlayMode NOTIFY overlayChanged)
    Q_PROPERTY(bool showsEntryBar READ showsEntryBar NOTIFY overlayChanged)
    Q_PROPERTY(double backgroundOpacity READ backgroundOpacity NOTIFY overlayChanged)

public:
    // The chat service's limit on one message, in Unicode code points (an
    // emoji made of one code point is one character).
    static constexpr int maxMessageLength = 500;
    // From this length on the field shows its count.
    static constexpr int countShownFrom = 450;

    // Sends one chat message, an answer to the message `replyParentMessageID`
    // unless that is empty; the future fails when the message could not be sent.
    using SendMessage = std::function<QFuture<void>(const QString& text, const QString& replyParentMessageID)>;

    // `messages` must outlive the view model.
    SessionViewModel(MessageListModel& messages, SendMessage onSendMessage, QObject* parent = nullptr);

    MessageListModel* messages() const { return &messages_; }
    // The rows the list shows: every message, or while searching the ones
    // that match.
    MessageSearchFilter* shownMessages() const { return search_; }

    // The search field is open (Ctrl+F) until endSearch().
    bool isSearching() const { return isSearching_; }
    const QString& searchText() const { return search_->searchText(); }
    // Opens the search when it is not open yet.
    void setSearchText(const QString& text);
    QString searchPlaceholder() const { return QStringLiteral("Search messages"); }
    QString closeSearchName() const { return QStringLiteral("Close search"); }
    // "No messages match." while a search text matches no row; empty otherwise.
    QString noMatchesText() const;
    Q_INVOKABLE void startSearch();
    // Closes the field and shows every row again, the list back at the newest.
    Q_INVOKABLE void endSearch();

    // Whose messages are one's own (they carry no user id), and the actions
    // viewers' cards offer (may be null: the cards then ask to sign in again).
    // `moderation` must outlive the view model or be set again.
    void setViewerCardSources(const QString& ownUserID, ViewerModeration* moderation);
    // The open card; null while none is.
    ViewerCardViewModel* viewerCard() const { return viewerCard_; }
    // Opens the card of the sender of `messageRow` (a row of `messages`) in
    // place of the open one; a row no viewer wrote opens none.
    Q_INVOKABLE void openViewerCard(int messageRow);
    Q_INVOKABLE void closeViewerCard();

    const QString& newMessage() const { return newMessage_; }
    void setNewMessage(const QString& text);
    // The text that a send would send: the field's text without white space
    // at its ends.
    QString messageToSend() const { return newMessage_.trimmed(); }
    // A message of nothing but white space is not sent (the service drops it
    // without an answer), nor one longer than the service takes.
    bool canSend() const;

    // The length of the message to send, in code points.
    int characterCount() const { return characterCount_; }
    // "480/500" from countShownFrom characters on; empty below.
    QString characterCountText() const;
    // The count in words for screen readers, "480 of 500 characters"; empty
    // while no count is shown.
    QString characterCountName() const;
    bool isTooLong() const { return characterCount_ > maxMessageLength; }
    // "Messages are limited to 500 characters." while the message is too
    // long; empty otherwise.
    QString lengthMessage() const;

    QString placeholder() const { return QStringLiteral("Message..."); }
    QString sendButtonName() const { return QStringLiteral("Send"); }

    // "Failed to send message" once a send has failed, followed by ": " and
    // the error presenter's words when the error has some; empty before, and
    // again after the next successful send or once the chat is connected
    // again.
    const QString& errorMessage() const { return errorMessage_; }
    // Puts `text` on the error line (a moderation action that failed), where
    // it stays like a failed send's line.
    void showErrorMessage(const QString& text) { setErrorMessage(text); }

    // The next message sent answers `messageID`, by `displayName`, until it
    // is sent or the reply is cancelled.
    void replyTo(const QString& messageID, const QString& displayName);
    Q_INVOKABLE void cancelReply();
    const QString& replyParentMessageID() const { return replyParentMessageID_; }
    // "Replying to NAME" over the entry field; empty when not replying.
    QString replyingTo() const;
    QString cancelReplyName() const { return QStringLiteral("Cancel reply"); }

    // "Disconnected from chat: " and the error presenter's words for what
    // ended the connection; empty while connected.
    QString disconnectedText() const;
    // "Reconnecting in N s…" while a new attempt is waiting; empty otherwise.
    QString reconnectingText() const;

    // Follows the chat connection: its lines, and a failed send's line goes
    // away once the chat is connected (again).
    void setConnectionState(const TwitchChatConnectionState& state);

    // Overlay mode: the chat alone over a game, for a window capture. The
    // entry bar goes, the background lets the game through at
    // overlayOpacity, and names and text are outlined to read over anything.
    bool overlayMode() const { return overlayMode_; }
    void setOverlayMode(bool overlayMode);
    void setOverlayOpacity(double opacity);
    bool showsEntryBar() const { return !overlayMode_; }
    // 1 outside overlay mode.
    double backgroundOpacity() const { return overlayMode_ ? overlayOpacity_ : 1.0; }

    // The number of Unicode code points in `text`: a surrogate pair counts
    // once, as the service counts it.
    static int codePointCount(QStringView text);

    // Sends the field's text without the white space at its ends. A field of
    // nothing but white space sends nothing and is emptied; a message longer
    // than maxMessageLength is not sent (lengthMessage says why). On success
    // the field is emptied (unless it was edited meanwhile) and the error line
    // goes; on failure the text stays and the error line appears. Returns at
    // once.
    Q_INVOKABLE void send();

signals:
    void newMessageChanged();
    void errorMessageChanged();
    void replyChanged();
    void connectionTextChanged();
    void overlayChanged();
    void searchChanged();
    void noMatchesTextChanged();
    void viewerCardChanged();

private:
    void setErrorMessage(const QString& text);
    void setListenError(const QString& text);
    void setRetryInSeconds(int seconds);

    MessageListModel& messages_;
    MessageSearchFilter* search_;
    bool isSearching_ = false;
    QString ownUserID_;
    QPointer<ViewerModeration> moderation_;
    QPointer<ViewerCardViewModel> viewerCard_;
    const SendMessage onSendMessage_;
    QString newMessage_;
    int characterCount_ = 0;
    QString errorMessage_;
    QString replyParentMessageID_;
    QString replyParentName_;
    QString listenError_;
    int retryInSeconds_ = -1;
    bool overlayMode_ = false;
    double overlayOpacity_ = 0.6;
};

} // namespace parley
