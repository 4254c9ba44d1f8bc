#include "MessageListScrollState.h"

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
            connect(model, &Model::rowsAboutToBeInserted, this, &MessageListScrollState::rowsAboutToChange),
            connect(model, &Model::rowsAboutToBeRemoved, this, &MessageListScrollState::rowsAboutToChange),
            connect(model, &Model::modelAboutToBeReset, this, &MessageListScrollState::rowsAboutToChange),
            connect(model, &Model::rowsInserted, this, &MessageListScrollState::rowsChanged),
            connect(model, &Model::rowsRemoved, this, &MessageListScrollState::rowsChanged),
            connect(model, &Model::modelReset, this, &MessageListScrollState::rowsChanged),
        };
    }
    emit modelChanged();
}

void MessageListScrollState::rowsAboutToChange()
{
    // The view lays out changes later, so the geometry measured now is the
    // one from before the change.
    follow_ = scrollPending_ || shouldScrollToLast(1);
}

void MessageListScrollState::scrolledToLast()
{
    scrollPending_ = false;
}

void MessageListScrollState::rowsChanged()
{
    const bool follow = follow_;
    follow_ = false;
    if (!follow || !model_ || model_->rowCount() == 0)
        return;
    scrollPending_ = true;
    emit scrollToLastRequested();
}

} // namespace parley
