#include "app/ui/chat/SessionViewerModeration.h"

#include "app/session/ModerationActions.h"

namespace parley {

SessionViewerModeration::SessionViewerModeration(ModerationActions& actions, QObject* parent)
    : ViewerModeration(parent), actions_(actions)
{
    connect(&actions, &ModerationActions::bannedUsersChanged, this, &ViewerModeration::changed);
}

bool SessionViewerModeration::canModerate() const
{
    return actions_.canModerate();
}

bool SessionViewerModeration::isBanned(const QString& userID) const
{
    return actions_.isBanned(userID);
}

QFuture<void> SessionViewerModeration::timeout(const QString& userID, std::chrono::seconds duration)
{
    return actions_.timeout(userID, duration);
}

QFuture<void> SessionViewerModeration::ban(const QString& userID)
{
    return actions_.ban(userID);
}

QFuture<void> SessionViewerModeration::unban(const QString& userID)
{
    return actions_.unban(userID);
}

} // namespace parley
