#pragma once

#include <QSortFilterProxyModel>
#include <QString>
#include <QStringView>

namespace parley {

class MessageListModel;
class TwitchChatMessage;

// The chat rows one viewer wrote, oldest first, kept in step with the chat:
// their messages, and the words they added to a channel event (a resub's
// message). Main thread only.
class ViewerMessageFilter final : public QSortFilterProxyModel {
    Q_OBJECT

public:
    // `messages` must outlive the filter. `ownUserID` is the broadcaster's
    // user id: their own messages carry none.
    ViewerMessageFilter(
        MessageListModel& messages, QString userID, QString ownUserID, QObject* parent = nullptr);

    const QString& userID() const { return userID_; }

    // Who wrote `message`: the sender's user id, `ownUserID` for one's own
    // messages, empty for a line no viewer wrote.
    static QString senderID(const TwitchChatMessage& message, const QString& ownUserID);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    MessageListModel& messages_;
    const QString userID_;
    const QString ownUserID_;
};

} // namespace parley
