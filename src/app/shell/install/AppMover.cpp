#include "app/shell/install/AppMover.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace parley {

namespace {

bool isWithin(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && (path == folder || path.startsWith(folder + u'/'));
}

ModalAlert moveOffer(const QString& applicationName, bool needsAuthorization)
{
    QString informative = (applicationName.isEmpty() ? QStringLiteral("The App") : applicationName) +
        QStringLiteral(" needs to move to your Applications folder in order to work properly.");
    if (needsAuthorization)
        informative += QStringLiteral(
            " You need to authenticate with your administrator password to complete this step.");
    return { QStringLiteral("Move to Applications folder"), informative,
        { QStringLiteral("Move to Applications Folder"), QStringLiteral("Do Not Move") } };
}

} // namespace

AppMover::AppMover(AppMoverPlatform& platform) : platform_(platform) { }

AppMover::Outcome AppMover::moveCheck()
{
    const QString source = QDir::cleanPath(platform_.bundlePath());
    const QString name = QFileInfo(source).fileName();
    if (name.isEmpty() || !isDownloadedCopy(source) || isInApplicationsFolder(source))
        return Outcome::continueLaunching;
    const QString folder = installFolder();
    if (folder.isEmpty())
        return Outcome::continueLaunching;
    const QString destination = QDir(folder).filePath(name);
    const bool authorize = needsAuthorization(folder, destination);
    if (platform_.showAlert(moveOffer(platform_.applicationName(), authorize)) != 0)
        return Outcome::continueLaunching;
    return authorize ? moveWithAuthorization(source, destination) : moveWithoutAuthorization(source, destination);
}

// Installed prefixes, the build tree and the demo bundle stay where they are:
// only a downloaded copy carries no bundle kind.
bool AppMover::isDownloadedCopy(const QString& bundle) const
{
    return !platform_.bundleKind() && !isWithin(bundle, QStringLiteral("/usr"));
}

bool AppMover::isInApplicationsFolder(const QString& bundle) const
{
    if (bundle.split(u'/').contains(QStringLiteral("Applications")))
        return true;
    const QStringList folders = platform_.applicationsFolders();
    return std::any_of(folders.begin(), folders.end(), [&](const QString& folder) {
        return isWithin(bundle, QDir::cleanPath(folder)) || isWithin(bundle, platform_.resolvedPath(folder));
    });
}

// The existing Applications folder with the most entries; on a tie the
// platform's order decides.
QString AppMover::installFolder() const
{
    QList<std::pair<QString, qsizetype>> folders;
    for (const QString& folder : platform_.applicationsFolders()) {
        const QString resolved = platform_.resolvedPath(folder);
        if (!resolved.isEmpty() && platform_.isDirectory(resolved))
            folders.append({ resolved, platform_.entryCount(resolved) });
    }
    std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return folders.isEmpty() ? QString() : folders.last().first;
}

bool AppMover::needsAuthorization(const QString& folder, const QString& destination) const
{
    return (platform_.exists(destination) && !platform_.isWritable(destination)) || !platform_.isWritable(folder);
}

bool AppMover::isRunning(const QString& bundle) const
{
    const QStringList running = platform_.runningBundles();
    return std::any_of(
        running.begin(), running.end(), [&](const QString& other) { return QDir::cleanPath(other) == bundle; });
}

bool AppMover::isBundle(const QString& path) const
{
    return platform_.exists(path + QStringLiteral("/bin/parley")) &&
        platform_.exists(path + QStringLiteral("/share/parley/Info.json"));
}

AppMover::Outcome AppMover::moveWithAuthorization(const QString& source, const QString& destination)
{
    if (source.trimmed().isEmpty() || destination.trimmed().isEmpty() || !isBundle(source) ||
        QFileInfo(destination).fileName() != QFileInfo(source).fileName())
        return quit();
    // Argument vectors: the paths reach rm and cp as they are, whatever they hold.
    const QList<QStringList> copy = {
        { QStringLiteral("rm"), QStringLiteral("-rf"), QStringLiteral("--"), destination },
        { QStringLiteral("cp"), QStringLiteral("-pR"), QStringLiteral("--"), source, destination },
    };
    switch (platform_.runPrivileged(copy)) {
    case PrivilegedResult::cancelled:
        return moveCheck();
    case PrivilegedResult::failed:
        return quit();
    case PrivilegedResult::succeeded:
        break;
    }
    return finishMove(source, destination);
}

AppMover::Outcome AppMover::moveWithoutAuthorization(const QString& source, const QString& destination)
{
    if (platform_.exists(destination)) {
        if (isRunning(destination)) {
            platform_.openBundle(destination);
            return Outcome::continueLaunching;
        }
        if (!platform_.moveToTrash(destination))
            return Outcome::continueLaunching;
    }
    if (!platform_.copy(source, destination)) {
        // A half-made copy would be a broken Parley in the Applications folder.
        platform_.remove(destination);
        return Outcome::continueLaunching;
    }
    return finishMove(source, destination);
}

// The relauncher starts first: until it runs, the original bundle is the one
// this process can go on launching from.
AppMover::Outcome AppMover::finishMove(const QString& source, const QString& destination)
{
    if (!platform_.relaunch(platform_.processID(), destination))
        return Outcome::continueLaunching;
    platform_.remove(source);
    return quit();
}

AppMover::Outcome AppMover::quit()
{
    platform_.quit();
    return Outcome::quitting;
}

} // namespace parley
