#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;

namespace parley {

// Parley's notifications on the desktop's notification service (the
// freedesktop one on the session bus): shows one, replaces or closes the one
// shown last, and reports a click on it. Text is always plain: where the
// service reads markup in bodies, the body is escaped. Without a service
// nothing shows, and one line says so. Main thread only.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    struct Notification {
        QString summary;
        QString body;
    };

    static inline const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString appName = QStringLiteral("Parley");
    static inline const QString iconName = QStringLiteral("app.parley.Parley");

    // `desktopEntry` names the desktop entry the service shows Parley as (the
    // bundle identifier).
    DesktopNotifications(QDBusConnection bus, QString desktopEntry, QObject* parent = nullptr);

    // Shows `notification`; with `replaceLast`, in place of the one shown
    // last while it is still up.
    void show(const Notification& notification, bool replaceLast);
    // Closes the one shown last, if it is still up.
    void closeLast();

signals:
    // The one shown last was clicked (its default action).
    void activated();

private slots:
    void actionInvoked(uint notificationID, const QString& actionKey);
    void notificationClosed(uint notificationID, uint reason);

private:
    struct Request {
        Notification notification;
        bool replaceLast = false;
    };

    void send(const Request& request);
    void capabilitiesAnswered(QDBusPendingCallWatcher* call);
    void notifyAnswered(QDBusPendingCallWatcher* call);
    void sendQueued();
    void reportUnavailable(const QString& reason);

    QDBusConnection bus_;
    const QString desktopEntry_;
    // Whether the service reads bodies as markup; unknown until it is asked.
    std::optional<bool> readsMarkup_;
    bool isWaiting_ = false;
    // The latest request made while the service had not answered: a later
    // one replaces it, as it would replace its notification.
    std::optional<Request> queued_;
    uint lastID_ = 0;
    bool isUnavailable_ = false;
};

} // namespace parley
