#include "app/ui/chat/SessionViewModel.h"

#include "platform/ErrorPresenter.h"
#include "platform/WhenFinished.h"

#include <utility>

namespace parley {

SessionViewModel::SessionViewModel(MessageListModel& messages, SendMessage onSendMessage, QObject* parent)
    : QObject(parent)
    , messages_(messages)
    , search_(new MessageSearchFilter(messages, this))
    , onSendMessage_(std::move(onSendMessage))
{
    connect(search_, &MessageSearchFilter::rowsInserted, this, &SessionViewModel::noMatchesTextChanged);
    connect(search_, &MessageSearchFilter::rowsRemoved, this, &SessionViewModel::noMatchesTextChanged);
    connect(search_, &MessageSearchFilter::modelReset, this, &SessionViewModel::noMatchesTextChanged);
}

void SessionViewModel::setViewerCardSources(const QString& ownUserID, ViewerModeration* moderation)
{
    ownUserID_ = ownUserID;
    moderation_ = moderation;
}

void SessionViewModel::openViewerCard(int messageRow)
{
    const TwitchChatMessage* message = messages_.message(messageRow);
    const QString userID = message ? ViewerMessageFilter::senderID(*message, ownUserID_) : QString();
    if (userID.isEmpty())
        return;
    closeViewerCard();
    viewerCard_ = new ViewerCardViewModel(messages_, userID, ownUserID_, moderation_, this);
    emit viewerCardChanged();
}

void SessionViewModel::closeViewerCard()
{
    if (!viewerCard_)
        return;
    // Later: the card's QML may still be reading it in this turn.
    viewerCard_->deleteLater();
    viewerCard_ = nullptr;
    emit viewerCardChanged();
}

void SessionViewModel::setSearchText(const QString& text)
{
    if (text == searchText() && isSearching_)
        return;
    isSearching_ = true;
    if (text != searchText())
        search_->setSearchText(text);
    emit searchChanged();
}

QString SessionViewModel::noMatchesText() const
{
    if (searchText().isEmpty() || search_->rowCount() > 0)
        return {};
    return QStringLiteral("No messages match.");
}

void SessionViewModel::startSearch()
{
    setSearchText(searchText());
}

void SessionViewModel::endSearch()
{
    // Always a reset: the list comes back at its newest row even when the
    // reader scrolled up in an empty search.
    search_->setSearchText({});
    if (std::exchange(isSearching_, false))
        emit searchChanged();
}

void SessionViewModel::setNewMessage(const QString& text)
{
    if (text == newMessage_)
        return;
    newMessage_ = text;
    characterCount_ = codePointCount(QStringView(newMessage_).trimmed());
    emit newMessageChanged();
}

bool SessionViewModel::canSend() const
{
    return characterCount_ > 0 && !isTooLong();
}

QString SessionViewModel::characterCountText() const
{
    if (characterCount_ < countShownFrom)
        return {};
    return QStringLiteral("%1/%2").arg(characterCount_).arg(maxMessageLength);
}

QString SessionViewModel::characterCountName() const
{
    if (characterCount_ < countShownFrom)
        return {};
    return QStringLiteral("%1 of %2 characters").arg(characterCount_).arg(maxMessageLength);
}

QString SessionViewModel::lengthMessage() const
{
    if (!isTooLong())
        return {};
    return QStringLiteral("Messages are limited to %1 characters.").arg(maxMessageLength);
}

int SessionViewModel::codePointCount(QStringView text)
{
    int count = 0;
    for (qsizetype index = 0; index < text.size(); ++index) {
        // A high surrogate followed by a low one is one code point; a lone
        // surrogate counts on its own.
        if (text[index].isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
            ++index;
        ++count;
    }
    return count;
}

QString SessionViewModel::disconnectedText() const
{
    return listenError_;
}

QString SessionViewModel::reconnectingText() const
{
    if (retryInSeconds_ < 0)
        return {};
    return QStringLiteral("Reconnecting in %1 s\u2026").arg(retryInSeconds_);
}

// A lost connection shows what ended it with the countdown to the next try; a
// run that ended for good keeps its error. Connected again, every line about
// a failure goes.
void SessionViewModel::setConnectionState(const TwitchChatConnectionState& state)
{
    using Phase = TwitchChatConnectionState::Phase;
    switch (state.phase) {
    case Phase::connected:
        setListenError({});
        setRetryInSeconds(-1);
        setErrorMessage({});
        break;
    case Phase::reconnecting:
        setListenError(ErrorPresenter::disconnectedMessage(state.error));
        setRetryInSeconds(state.secondsUntilRetry.value_or(-1));
        break;
    case Phase::failed:
        setListenError(ErrorPresenter::disconnectedMessage(state.error));
        setRetryInSeconds(-1);
        break;
    case Phase::disconnected:
    case Phase::connecting:
        setRetryInSeconds(-1);
        break;
    }
}

void SessionViewModel::setListenError(const QString& text)
{
    if (text == listenError_)
        return;
    listenError_ = text;
    emit connectionTextChanged();
}

void SessionViewModel::setRetryInSeconds(int seconds)
{
    seconds = std::max(seconds, -1);
    if (seconds == retryInSeconds_)
        return;
    retryInSeconds_ = seconds;
    emit connectionTextChanged();
}

void SessionViewModel::send()
{
    if (characterCount_ == 0) {
        setNewMessage({});
        return;
    }
    if (isTooLong())
        return;
    const QString typed = newMessage_;
    const QString parentID = replyParentMessageID_;
    whenFinished(onSendMessage_(messageToSend(), parentID), this, [this, typed, parentID](QFuture<void> done) {
        try {
            done.waitForFinished();
        } catch (...) {
            setErrorMessage(ErrorPresenter::sendFailedMessage(std::current_exception()));
            return;
        }
        // Text typed, and a reply chosen, while the send was under way are kept.
        if (newMessage_ == typed)
            setNewMessage({});
        if (replyParentMessageID_ == parentID)
            cancelReply();
        setErrorMessage({});
    });
}

void SessionViewModel::replyTo(const QString& messageID, const QString& displayName)
{
    replyParentMessageID_ = messageID;
    replyParentName_ = displayName;
    emit replyChanged();
}

void SessionViewModel::cancelReply()
{
    if (replyParentMessageID_.isEmpty())
        return;
    replyParentMessageID_.clear();
    replyParentName_.clear();
    emit replyChanged();
}

QString SessionViewModel::replyingTo() const
{
    return replyParentMessageID_.isEmpty() ? QString() : QStringLiteral("Replying to %1").arg(replyParentName_);
}

void SessionViewModel::setOverlayMode(bool overlayMode)
{
    if (std::exchange(overlayMode_, overlayMode) != overlayMode)
        emit overlayChanged();
}

void SessionViewModel::setOverlayOpacity(double opacity)
{
    if (std::exchange(overlayOpacity_, opacity) != opacity)
        emit overlayChanged();
}

void SessionViewModel::setErrorMessage(const QString& text)
{
    if (text == errorMessage_)
        return;
    errorMessage_ = text;
    emit errorMessageChanged();
}

} // namespace parley
