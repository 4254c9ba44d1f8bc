#include "app/ui/chat/MessageSearchFilter.h"

#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/SystemMessageViewModel.h"
#include "twitch/chat/TwitchChatMessage.h"

namespace parley {

namespace {

bool contains(QStringView text, QStringView searchText)
{
    return text.contains(searchText, Qt::CaseInsensitive);
}

bool textMatches(const TwitchChatTextMessage& text, QStringView searchText)
{
    return contains(text.displayName(), searchText) || (!text.isDeleted() && contains(text.body(), searchText));
}

} // namespace

MessageSearchFilter::MessageSearchFilter(MessageListModel& messages, QObject* parent)
    : QSortFilterProxyModel(parent), messages_(messages)
{
    // Rows are judged as they arrive and when the search changes, not on
    // every change of a row's look (a badge image loading touches them all).
    setDynamicSortFilter(false);
    setSourceModel(&messages);
}

void MessageSearchFilter::setSearchText(const QString& text)
{
    // A reset rather than a refilter: the rows shown are another list now.
    beginResetModel();
    searchText_ = text;
    endResetModel();
    emit searchTextChanged();
}

bool MessageSearchFilter::matches(const TwitchChatMessage& message, QStringView searchText)
{
    if (searchText.isEmpty())
        return true;
    if (const TwitchChatTextMessage* text = message.text())
        return textMatches(*text, searchText);
    const TwitchChatSystemMessage& system = *message.system();
    return contains(SystemMessageViewModel::headline(system), searchText)
        || (system.userMessage && textMatches(*system.userMessage, searchText));
}

bool MessageSearchFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (sourceParent.isValid())
        return false;
    const TwitchChatMessage* message = messages_.message(sourceRow);
    return message && matches(*message, searchText_);
}

} // namespace parley
