#pragma once

#include <QSortFilterProxyModel>
#include <QString>
#include <QStringView>

namespace parley {

class MessageListModel;
class TwitchChatMessage;

// The chat rows that match a search: a row stays when its sender's display
// name or the text it shows contains the search text, in any case. Without
// search text every row stays. Setting the search text (even the same one)
// resets the rows, so a list over them starts again at its newest row. Rows
// are judged as they arrive: one a moderator deletes while it is shown stays
// (shown deleted) until the search changes. Main thread only.
class MessageSearchFilter final : public QSortFilterProxyModel {
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)

public:
    // `messages` must outlive the filter.
    explicit MessageSearchFilter(MessageListModel& messages, QObject* parent = nullptr);

    const QString& searchText() const { return searchText_; }
    void setSearchText(const QString& text);

    // Whether `message` stays while searching for `searchText`. A deleted
    // message is matched by its sender only: its text is no longer shown.
    static bool matches(const TwitchChatMessage& message, QStringView searchText);

signals:
    void searchTextChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    MessageListModel& messages_;
    QString searchText_;
};

} // namespace parley
