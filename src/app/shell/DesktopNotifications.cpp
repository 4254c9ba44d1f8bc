#include "app/shell/DesktopNotifications.h"

#include "platform/Diagnostics.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace parley {

namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.Notifications");
const QString defaultAction = QStringLiteral("default");
// The service picks how long a notification stays.
constexpr int serviceTimeout = -1;
// The freedesktop urgency levels: 0 low, 1 normal, 2 critical.
constexpr uchar normalUrgency = 1;

QDBusMessage methodCall(const QString& method)
{
    return QDBusMessage::createMethodCall(
        DesktopNotifications::serviceName, DesktopNotifications::objectPath, interfaceName, method);
}

} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QString desktopEntry, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), desktopEntry_(std::move(desktopEntry))
{
    bus_.connect(serviceName, objectPath, interfaceName, QStringLiteral("ActionInvoked"), this,
        SLOT(actionInvoked(uint, QString)));
    bus_.connect(serviceName, objectPath, interfaceName, QStringLiteral("NotificationClosed"), this,
        SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifications::show(const Notification& notification, bool replaceLast)
{
    Request request { notification, replaceLast };
    if (isWaiting_) {
        // A replacement of a notification not shown yet is a new one.
        if (queued_)
            request.replaceLast = request.replaceLast && queued_->replaceLast;
        queued_ = std::move(request);
        return;
    }
    if (!bus_.isConnected()) {
        reportUnavailable(QStringLiteral("no session bus"));
        return;
    }
    if (!readsMarkup_) {
        // Asked once the service is needed: Parley may never notify.
        queued_ = std::move(request);
        isWaiting_ = true;
        auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(methodCall(QStringLiteral("GetCapabilities"))), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, &DesktopNotifications::capabilitiesAnswered);
        return;
    }
    send(request);
}

void DesktopNotifications::closeLast()
{
    queued_.reset();
    if (lastID_ == 0)
        return;
    QDBusMessage call = methodCall(QStringLiteral("CloseNotification"));
    call << std::exchange(lastID_, 0);
    bus_.asyncCall(call);
}

void DesktopNotifications::send(const Request& request)
{
    const Notification& notification = request.notification;
    const QVariantMap hints {
        { QStringLiteral("desktop-entry"), desktopEntry_ },
        { QStringLiteral("urgency"), QVariant::fromValue(normalUrgency) },
    };
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    call << appName << (request.replaceLast ? lastID_ : 0u) << iconName << notification.summary
         << (*readsMarkup_ ? notification.body.toHtmlEscaped() : notification.body)
         << QStringList { defaultAction, QStringLiteral("Show Parley") } << hints << serviceTimeout;
    isWaiting_ = true;
    auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, &DesktopNotifications::notifyAnswered);
}

void DesktopNotifications::capabilitiesAnswered(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    isWaiting_ = false;
    const QDBusPendingReply<QStringList> reply = *call;
    if (reply.isError()) {
        queued_.reset();
        reportUnavailable(reply.error().message());
        return;
    }
    readsMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
    sendQueued();
}

void DesktopNotifications::notifyAnswered(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    isWaiting_ = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError())
        reportUnavailable(reply.error().message());
    else
        lastID_ = reply.value();
    sendQueued();
}

void DesktopNotifications::sendQueued()
{
    if (std::optional<Request> request = std::exchange(queued_, std::nullopt))
        send(*request);
}

void DesktopNotifications::actionInvoked(uint notificationID, const QString& actionKey)
{
    if (notificationID != 0 && notificationID == lastID_ && actionKey == defaultAction)
        emit activated();
}

void DesktopNotifications::notificationClosed(uint notificationID, uint)
{
    if (notificationID == lastID_)
        lastID_ = 0;
}

void DesktopNotifications::reportUnavailable(const QString& reason)
{
    if (std::exchange(isUnavailable_, true))
        return;
    Diagnostics::warn(QStringLiteral("parley: no desktop notifications (%1); mentions are not notified").arg(reason));
}

} // namespace parley
