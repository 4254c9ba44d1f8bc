#include "app/ui/chat/MessageListScrollState.h"

#include <QAbstractItemModel>

namespace parley {

MessageListScrollState::MessageListScrollState(QObject* parent) : QObject(parent) { }

bool MessageListScrollState::shouldScrollToLast(int newRowCount) const
{
    if (newRowCount <= 0)
        return false;
    const double content = contentSize.height();
    const double visible = scrollSize.height();
    if (content <= visible)
        return true;
    return contentOffset.y() <= bottomOffsetThreshold - (content - visible);
}

void MessageListScrollState::measure(double contentHeight, double contentY, double scrollHeight)
{
    contentSize.setHeight(contentHeight);
    contentOffset.setY(-contentY);
    scrollSize.setHeight(scrollHeight);
}

void MessageListScrollState::setModel(QAbstractItemModel* model)
{
    if (model == model_)
        return;
    for (const QMetaObject::Connection& connection : std::as_const(connections_))
        disconnect(connection);
    connections_.clear();
    model_ = model;
    if (model) {
        using Model = QAbstractItemModel;
        connections_ = {
            connect(model, &Model::rowsInserted, this, &MessageListScrollState::rowsChanged),
            connect(model, &Model::rowsRemoved, this, &MessageListScrollState::rowsChanged),
            // A reset list is another list (a search's rows): the reader's place
            // in the old one means nothing, so it starts at the newest row.
            connect(model, &Model::modelReset, this, &MessageListScrollState::followLatest),
        };
    }
    emit modelChanged();
}

void MessageListScrollState::userScrolled()
{
    setFollowing(shouldScrollToLast(1));
}

void MessageListScrollState::followLatest()
{
    setFollowing(true);
    emit scrollToLastRequested();
}

void MessageListScrollState::layoutChanged()
{
    if (isFollowing_)
        emit scrollToLastRequested();
}

double MessageListScrollState::wheelScrollDistance(double angleDelta, double lineHeight)
{
    // One notch is 120 eighths of a degree; turning away from the user goes up.
    return -angleDelta / 120.0 * linesPerWheelNotch * lineHeight;
}

void MessageListScrollState::setFollowing(bool isFollowing)
{
    if (isFollowing == isFollowing_)
        return;
    isFollowing_ = isFollowing;
    emit isFollowingChanged();
}

void MessageListScrollState::rowsChanged()
{
    if (isFollowing_ && model_ && model_->rowCount() > 0)
        emit scrollToLastRequested();
}

} // namespace parley
