#include "app/ui/chat/ViewerCardViewModel.h"

#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/ViewerModeration.h"
#include "platform/ErrorPresenter.h"
#include "platform/WhenFinished.h"

#include <iterator>
#include <utility>

namespace parley {

ViewerCardViewModel::ViewerCardViewModel(MessageListModel& messages, const QString& userID, const QString& ownUserID,
    ViewerModeration* moderation, QObject* parent)
    : QObject(parent)
    , messages_(new ViewerMessageFilter(messages, userID, ownUserID, this))
    , moderation_(moderation)
    , isOwnCard_(userID == ownUserID)
{
    readNewestMessage();
    // New messages, deletions and badge images change the newest message's look.
    connect(messages_, &QAbstractItemModel::rowsInserted, this, &ViewerCardViewModel::readNewestMessage);
    connect(messages_, &QAbstractItemModel::dataChanged, this, &ViewerCardViewModel::readNewestMessage);
    if (moderation)
        connect(moderation, &ViewerModeration::changed, this, &ViewerCardViewModel::moderationChanged);
}

void ViewerCardViewModel::readNewestMessage()
{
    const int newest = messages_->rowCount() - 1;
    if (newest < 0)
        return;
    const QModelIndex index = messages_->index(newest, 0);
    displayName_ = index.data(MessageListModel::DisplayNameRole).toString();
    nameColor_ = index.data(MessageListModel::NameColorRole).value<QColor>();
    badges_ = index.data(MessageListModel::BadgesRole).toList();
    emit viewerChanged();
}

QString ViewerCardViewModel::cardName() const
{
    return QStringLiteral("Viewer card: ") + displayName_;
}

QString ViewerCardViewModel::banQuestion() const
{
    return QStringLiteral("Ban %1 from your chat?").arg(displayName_);
}

bool ViewerCardViewModel::canModerate() const
{
    return !isOwnCard_ && moderation_ && moderation_->canModerate();
}

bool ViewerCardViewModel::isBanned() const
{
    return moderation_ && moderation_->isBanned(userID());
}

QString ViewerCardViewModel::moderationHint() const
{
    if (isOwnCard_ || canModerate())
        return {};
    return QStringLiteral("Sign in again to moderate.");
}

QStringList ViewerCardViewModel::timeoutChoices() const
{
    return { QStringLiteral("1 minute"), QStringLiteral("10 minutes"), QStringLiteral("1 hour"),
        QStringLiteral("1 day") };
}

void ViewerCardViewModel::timeout(int choice)
{
    if (choice < 0 || choice >= int(std::size(timeoutDurations)) || !areActionsEnabled())
        return;
    run(moderation_->timeout(userID(), timeoutDurations[choice]));
}

void ViewerCardViewModel::requestBan()
{
    if (!areActionsEnabled() || isConfirmingBan_)
        return;
    isConfirmingBan_ = true;
    emit moderationChanged();
}

void ViewerCardViewModel::cancelBan()
{
    if (std::exchange(isConfirmingBan_, false))
        emit moderationChanged();
}

void ViewerCardViewModel::ban()
{
    if (!areActionsEnabled() || !isConfirmingBan_)
        return;
    isConfirmingBan_ = false;
    run(moderation_->ban(userID()));
}

void ViewerCardViewModel::unban()
{
    if (areActionsEnabled())
        run(moderation_->unban(userID()));
}

void ViewerCardViewModel::run(QFuture<void> action)
{
    isBusy_ = true;
    emit moderationChanged();
    whenFinished(std::move(action), this, [this](QFuture<void> done) {
        isBusy_ = false;
        try {
            done.waitForFinished();
            errorMessage_.clear();
        } catch (...) {
            errorMessage_ = ErrorPresenter::userMessage(std::current_exception());
        }
        emit moderationChanged();
    });
}

} // namespace parley
