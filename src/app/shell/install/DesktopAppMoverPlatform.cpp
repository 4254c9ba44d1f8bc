#include "app/shell/install/DesktopAppMoverPlatform.h"

#include "app/account/BundleConfig.h"
#include "app/shell/install/PrivilegedRunner.h"
#include "app/shell/install/Relauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <filesystem>
#include <system_error>

namespace parley {

namespace {

const QString programPath = QStringLiteral("/bin/parley");

} // namespace

DesktopAppMoverPlatform::DesktopAppMoverPlatform(QString bundlePath, QStringList applicationsFolders)
    : bundlePath_(std::move(bundlePath)), applicationsFolders_(std::move(applicationsFolders))
{ }

DesktopAppMoverPlatform DesktopAppMoverPlatform::forThisProgram()
{
    return { BundleConfig::programBundleDirectory(),
        { QDir::homePath() + QStringLiteral("/Applications"), QStringLiteral("/Applications") } };
}

QString DesktopAppMoverPlatform::bundlePath() const
{
    return bundlePath_;
}

std::optional<QString> DesktopAppMoverPlatform::bundleKind() const
{
    QFile info(bundlePath_ + QStringLiteral("/share/parley/Info.json"));
    if (!info.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonValue kind = QJsonDocument::fromJson(info.readAll()).object().value(QLatin1String("PARLEY_BUNDLE_KIND"));
    if (kind.isUndefined())
        return std::nullopt;
    return kind.toString();
}

QString DesktopAppMoverPlatform::applicationName() const
{
    return QGuiApplication::applicationDisplayName();
}

qint64 DesktopAppMoverPlatform::processID() const
{
    return QCoreApplication::applicationPid();
}

QStringList DesktopAppMoverPlatform::applicationsFolders() const
{
    return applicationsFolders_;
}

QString DesktopAppMoverPlatform::resolvedPath(const QString& path) const
{
    return QFileInfo(path).canonicalFilePath();
}

bool DesktopAppMoverPlatform::exists(const QString& path) const
{
    return QFileInfo::exists(path);
}

bool DesktopAppMoverPlatform::isDirectory(const QString& path) const
{
    return QFileInfo(path).isDir();
}

bool DesktopAppMoverPlatform::isWritable(const QString& path) const
{
    return QFileInfo(path).isWritable();
}

qsizetype DesktopAppMoverPlatform::entryCount(const QString& folder) const
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).size();
}

bool DesktopAppMoverPlatform::copy(const QString& source, const QString& destination)
{
    // Directories take their permissions from the source, files their mode;
    // symbolic links stay links.
    std::error_code error;
    std::filesystem::copy(source.toStdString(), destination.toStdString(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks, error);
    return !error;
}

bool DesktopAppMoverPlatform::moveToTrash(const QString& path)
{
    return QFile::moveToTrash(path);
}

bool DesktopAppMoverPlatform::remove(const QString& path)
{
    return QDir(path).removeRecursively();
}

// A program runs from a bundle when its executable is the bundle's bin/parley.
QStringList DesktopAppMoverPlatform::runningBundles() const
{
    QStringList bundles;
    const QDir processes(QStringLiteral("/proc"));
    for (const QString& pid : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString executable = QFileInfo(processes.filePath(pid + QStringLiteral("/exe"))).symLinkTarget();
        if (executable.endsWith(programPath))
            bundles.append(executable.chopped(programPath.size()));
    }
    return bundles;
}

void DesktopAppMoverPlatform::openBundle(const QString& bundle)
{
    QProcess::startDetached(bundle + programPath, {});
}

int DesktopAppMoverPlatform::showAlert(const ModalAlert& alert)
{
    return alert.run();
}

PrivilegedResult DesktopAppMoverPlatform::runPrivileged(const QList<QStringList>& commands)
{
    return PrivilegedRunner::run(commands);
}

bool DesktopAppMoverPlatform::relaunch(qint64 pid, const QString& destination)
{
    return Relauncher::start(pid, destination);
}

void DesktopAppMoverPlatform::quit()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace parley
