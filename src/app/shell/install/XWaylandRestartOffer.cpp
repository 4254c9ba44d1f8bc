#include "app/shell/install/XWaylandRestartOffer.h"

#include "app/account/BundleConfig.h"
#include "app/shell/install/Relauncher.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace parley {

XWaylandRestartOffer::XWaylandRestartOffer(QString platformName, bool hasXWayland, ShowAlert showAlert, Restart restart)
    : platformName_(std::move(platformName))
    , hasXWayland_(hasXWayland)
    , showAlert_(std::move(showAlert))
    , restart_(std::move(restart))
{ }

XWaylandRestartOffer XWaylandRestartOffer::forThisProcess(std::function<QWidget*()> mainWindow)
{
    const auto restart = [] {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!Relauncher::start(QCoreApplication::applicationPid(), BundleConfig::programBundleDirectory(), environment))
            return false;
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return true;
    };
    return { QGuiApplication::platformName(), !qEnvironmentVariableIsEmpty("DISPLAY"),
        [mainWindow = std::move(mainWindow)](const ModalAlert& alert) { return alert.run(mainWindow()); }, restart };
}

bool XWaylandRestartOffer::alwaysOnTopTurnedOn()
{
    if (told_ || !platformName_.startsWith(QStringLiteral("wayland")))
        return false;
    told_ = true;
    return showAlert_(alert()) == 0 && hasXWayland_ && restart_();
}

ModalAlert XWaylandRestartOffer::alert() const
{
    const QString message = QStringLiteral("Always on Top needs XWayland");
    const QString reason = QStringLiteral("Wayland doesn't let Parley keep its window above other windows.");
    if (!hasXWayland_)
        return { message, reason + QStringLiteral(" XWayland isn't running, so the window stays as it is."),
            { QStringLiteral("OK") } };
    return { message, reason + QStringLiteral(" Restart Parley on XWayland to keep the chat on top."),
        { QStringLiteral("Restart on XWayland"), QStringLiteral("Not Now") } };
}

} // namespace parley
