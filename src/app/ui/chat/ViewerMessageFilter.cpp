#include "app/ui/chat/ViewerMessageFilter.h"

#include "app/ui/chat/MessageListModel.h"
#include "twitch/chat/TwitchChatMessage.h"

namespace parley {

ViewerMessageFilter::ViewerMessageFilter(
    MessageListModel& messages, QString userID, QString ownUserID, QObject* parent)
    : QSortFilterProxyModel(parent), messages_(messages), userID_(std::move(userID)), ownUserID_(std::move(ownUserID))
{
    // A row's sender never changes: rows are judged once, as they arrive.
    setDynamicSortFilter(false);
    setSourceModel(&messages);
}

QString ViewerMessageFilter::senderID(const TwitchChatMessage& message, const QString& ownUserID)
{
    const TwitchChatTextMessage* text = message.text();
    if (!text && message.system()->userMessage)
        text = &*message.system()->userMessage;
    if (!text)
        return {};
    const QString userID = text->userID();
    return userID.isEmpty() ? ownUserID : userID;
}

bool ViewerMessageFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (sourceParent.isValid() || userID_.isEmpty())
        return false;
    const TwitchChatMessage* message = messages_.message(sourceRow);
    return message && senderID(*message, ownUserID_) == userID_;
}

} // namespace parley
