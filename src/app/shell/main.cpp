// parley: the application. It takes no options; arguments that are URLs are
// redirects handed to it by the browser, passed on to the running Parley if
// there is one.

#include "app/account/AccountStorage.h"
#include "app/account/BundleConfigError.h"
#include "app/shell/AccessibilityDriver.h"
#include "app/shell/Alert.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/InstanceChannel.h"
#include "app/shell/SharedImagePipeline.h"
#include "app/shell/install/AppMover.h"
#include "app/shell/install/DesktopAppMoverPlatform.h"
#include "platform/Diagnostics.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QQuickWindow>

using namespace parley;

namespace {

QList<QUrl> urlArguments(const QStringList& arguments)
{
    QList<QUrl> urls;
    for (const QString& argument : arguments.mid(1))
        if (const QUrl url(argument, QUrl::StrictMode); url.isValid() && !url.scheme().isEmpty())
            urls.append(url);
    return urls;
}

int failLaunch(const QString& problem)
{
    Diagnostics::warn(QStringLiteral("parley: %1").arg(problem));
    Alert::ask(nullptr, QStringLiteral("Parley cannot start: its configuration is broken."), problem,
        { Alert::okayTitle }, Alert::Icon::critical);
    return 1;
}

bool openInBrowser(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    Diagnostics::warn(QStringLiteral("No web browser could be opened. Open this address in one to continue:\n%1")
                          .arg(url.toString(QUrl::FullyEncoded)));
    return false;
}

QIcon appIcon()
{
    QIcon icon;
    for (const char* size : { "64x64", "512x512" })
        icon.addFile(QStringLiteral(":/icons/%1/apps/app.parley.Parley.png").arg(QLatin1String(size)));
    return icon;
}

} // namespace

int main(int argc, char** argv)
{
    // The chat window needs no GPU: the software scene graph keeps memory low.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parley"));
    QApplication::setApplicationDisplayName(QStringLiteral("Parley"));

    BundleConfig config;
    try {
        config = BundleConfig::read(BundleConfig::programBundleDirectory());
    } catch (const BundleConfigError& error) {
        return failLaunch(QString::fromUtf8(error.what()));
    }
    QApplication::setApplicationVersion(config.shortVersion);
    // The desktop entry is named after the bundle, so the desktop groups
    // Parley's windows under its entry and icon.
    QApplication::setDesktopFileName(config.bundleIdentifier);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("app.parley.Parley"), appIcon()));

    const QList<QUrl> urls = urlArguments(QApplication::arguments());
    if (InstanceChannel::sendToRunningInstance(config.bundleIdentifier, urls))
        return 0;
    InstanceChannel channel(config.bundleIdentifier);
    if (!channel.listen())
        Diagnostics::warn(QStringLiteral("parley: cannot listen on %1; redirects opened later will not reach this Parley")
                              .arg(InstanceChannel::serverName(config.bundleIdentifier)));

    // The move check runs when launching is about to finish.
    DesktopAppMoverPlatform moverPlatform = DesktopAppMoverPlatform::forThisProgram();
    if (AppMover(moverPlatform).moveCheck() == AppMover::Outcome::quitting)
        return 0;

    SharedImagePipeline images(config);
    AppDelegate delegate(
        config, { makeCredentialStore(config), makeUserDefaults(config), images.pipeline(), &openInBrowser });
    QObject::connect(&channel, &InstanceChannel::urlsOpened, &delegate, &AppDelegate::openURLs);
    // Bundles made for tests answer the end-to-end test's requests as well.
    AccessibilityDriver driver(delegate.menu());
    if (config.bundleKind == QLatin1String("test"))
        channel.setRequestHandler(
            [&driver](const QJsonObject& request, const auto& reply) { reply(driver.answer(request)); });
    delegate.applicationDidFinishLaunching();
    delegate.openURLs(urls);
    return QApplication::exec();
}
