#pragma once

#include "app/ui/chat/ViewerModeration.h"

namespace parley {

class ModerationActions;

// The session's moderation actions, as viewers' cards use them.
class SessionViewerModeration final : public ViewerModeration {
    Q_OBJECT

public:
    // `actions` must outlive this.
    explicit SessionViewerModeration(ModerationActions& actions, QObject* parent = nullptr);

    bool canModerate() const override;
    bool isBanned(const QString& userID) const override;

    QFuture<void> timeout(const QString& userID, std::chrono::seconds duration) override;
    QFuture<void> ban(const QString& userID) override;
    QFuture<void> unban(const QString& userID) override;

private:
    ModerationActions& actions_;
};

} // namespace parley
