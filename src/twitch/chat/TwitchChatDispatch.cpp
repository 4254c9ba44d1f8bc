#include "twitch/chat/TwitchChat.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatError.h"
#include "twitch/chat/internal/ChatLineReading.h"
#include "twitch/chat/internal/RecentChatLines.h"
#include "twitch/chat/internal/TwitchChatHistory.h"
#include "twitch/chat/internal/TwitchChatOutbox.h"

// TwitchChat's reading of the service's lines into the list, the room and
// the pending sends; the connection itself is in TwitchChat.cpp.

namespace parley {

void TwitchChat::handleMessage(const QString& line)
{
    try {
        handleMessage(TwitchChatIRCMessage::parse(line));
    } catch (const Error& error) {
        Diagnostics::write(QStringLiteral("TwitchChat.handleMsgFailed: ") + error.description());
    }
}

void TwitchChat::handleMessage(const TwitchChatIRCMessage& message)
{
    if (std::optional<TwitchChatTextMessage> text = TwitchChatTextMessage::fromLine(message)) {
        append(TwitchChatMessage(std::move(*text)));
        return;
    }
    switch (message.command()) {
    case TwitchChatIRCCommand::userState:
        handleUserState(message);
        break;
    case TwitchChatIRCCommand::roomState:
        handleRoomState(message);
        break;
    case TwitchChatIRCCommand::clearMsg:
    case TwitchChatIRCCommand::clearChat:
        handleClear(message);
        break;
    case TwitchChatIRCCommand::notice:
        handleNotice(message);
        break;
    case TwitchChatIRCCommand::userNotice:
        handleSystemLine(message);
        break;
    case TwitchChatIRCCommand::reconnect:
        openStandby();
        break;
    default:
        break;
    }
}

// The service sends only the settings that changed: the line is read over
// the last room state.
void TwitchChat::handleRoomState(const TwitchChatIRCMessage& message)
{
    if (std::optional<RoomState> room = RoomState::fromLine(message, room_)) {
        room_ = std::move(room);
        emit roomChanged();
    } else {
        Diagnostics::write(QStringLiteral("TwitchChat.roomStateMsgParseFailed: not a valid ROOMSTATE msg"));
    }
}

// Removed messages stay in the list, shown deleted, so the list does not
// jump; a timeout, ban or clear also gets its system line.
void TwitchChat::handleClear(const TwitchChatIRCMessage& message)
{
    const std::optional<TwitchChatClear> clear = TwitchChatClear::fromLine(message);
    if (!clear || !announceDeleted(history_->markDeleted(*clear)))
        return;
    const QPointer<TwitchChat> self(this);
    emit cleared(*clear);
    if (!self)
        return;
    if (std::optional<TwitchChatSystemMessage> line = clear->systemMessage())
        appendSystemLine(std::move(*line));
}

void TwitchChat::handleNotice(const TwitchChatIRCMessage& message)
{
    using Tag = TwitchChatIRCMessage::Tag;
    const qsizetype colon = message.parameters().indexOf(u':');
    const QStringView text = colon < 0 ? QStringView() : message.parameters().sliced(colon + 1);
    if (isChatLoginRefusal(text)) {
        finishRun(std::make_exception_ptr(TwitchChatError(TwitchChatError::Code::loginRefused, text.toString())));
        return;
    }
    if (isChatMessageRefusal(message.tags()[Tag::msgID]))
        outbox_->failOldest(
            std::make_exception_ptr(TwitchChatError(TwitchChatError::Code::messageRefused, text.toString())));
    handleSystemLine(message);
}

void TwitchChat::handleSystemLine(const TwitchChatIRCMessage& message)
{
    if (std::optional<TwitchChatSystemMessage> line = TwitchChatSystemMessage::fromLine(message))
        appendSystemLine(std::move(*line));
}

// Announces each message a deletion changed, then the list once. Returns
// false when an observer destroyed this client.
bool TwitchChat::announceDeleted(const QList<qsizetype>& positions)
{
    const QPointer<TwitchChat> self(this);
    for (const qsizetype position : positions) {
        emit messageUpdated(position);
        if (!self)
            return false;
    }
    if (!positions.isEmpty())
        emit messagesChanged();
    return self;
}

// Lines without a send time of their own (NOTICE) take their arrival time.
bool TwitchChat::appendSystemLine(TwitchChatSystemMessage line)
{
    if (!line.sentAt)
        line.sentAt = std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
    return append(TwitchChatMessage(std::move(line)));
}

// A USERSTATE carrying a message id and the broadcaster badge is the service's
// echo of the oldest message this client sent.
void TwitchChat::handleUserState(const TwitchChatIRCMessage& message)
{
    using Tag = TwitchChatIRCMessage::Tag;
    if (outbox_->isEmpty() || !message.tags().contains(Tag::id))
        return;
    if (!TwitchBadges::fromTagValue(message.tags()[Tag::badges]).isPositive(TwitchBadge::broadcaster))
        return;
    const TwitchChatOutbox::Confirmed confirmed = outbox_->takeOldest();
    scheduleConfirmationCheck();
    const TwitchChatTextMessage own = TwitchChatTextMessage::fromConfirmation(
        message, confirmed.message, accessToken_.info.login);
    const QPointer<TwitchChat> self(this);
    confirmed.done->finish();
    if (self && append(TwitchChatMessage(own)))
        emit ownMessageConfirmed(own);
}

// Returns false when an observer destroyed this client.
bool TwitchChat::append(TwitchChatMessage message)
{
    const QPointer<TwitchChat> self(this);
    if (const qsizetype dropped = history_->makeRoom()) {
        emit messagesDropped(dropped);
        if (!self)
            return false;
    }
    ++liveCount_;
    emit messageAppended(history_->append(std::move(message)));
    if (self)
        emit messagesChanged();
    return self;
}

void TwitchChat::insertHistory(const QStringList& lines)
{
    const QList<TwitchChatMessage> recent = readRecentChatLines(lines);
    if (announceDeleted(history_->markDeleted(recent)))
        insertRecent(recent);
}

void TwitchChat::insertHistoryNotice(const QString& text)
{
    TwitchChatSystemMessage notice;
    notice.text = text;
    notice.sentAt = std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
    insertRecent({ TwitchChatMessage(std::move(notice)) });
}

// What came before the current connection goes before what it brought.
void TwitchChat::insertRecent(const QList<TwitchChatMessage>& recent)
{
    const qsizetype size = history_->messages().size();
    const TwitchChatHistory::Insertion insertion = history_->insert(size - std::min(liveCount_, size), recent);
    const QPointer<TwitchChat> self(this);
    if (insertion.dropped > 0) {
        emit messagesDropped(insertion.dropped);
        if (!self)
            return;
    }
    if (insertion.count == 0)
        return;
    emit messagesInserted(insertion.position, insertion.count);
    if (self)
        emit messagesChanged();
}

} // namespace parley
