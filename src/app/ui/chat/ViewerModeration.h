#pragma once

#include <QFuture>
#include <QObject>
#include <QString>

#include <chrono>

namespace parley {

// The moderation actions a viewer's card offers, in the broadcaster's own
// channel. Each future fails with the error that stopped the action.
class ViewerModeration : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether the sign-in carries the permissions the actions need.
    virtual bool canModerate() const = 0;
    virtual bool isBanned(const QString& userID) const = 0;

    virtual QFuture<void> timeout(const QString& userID, std::chrono::seconds duration) = 0;
    virtual QFuture<void> ban(const QString& userID) = 0;
    virtual QFuture<void> unban(const QString& userID) = 0;

signals:
    // canModerate() or a viewer's isBanned() changed.
    void changed();
};

} // namespace parley
