#pragma once

#include "app/shell/install/ModalAlert.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace parley {

enum class PrivilegedResult {
    succeeded,
    // The user dismissed the password prompt.
    cancelled,
    failed,
};

// Everything the move check asks of the system, so the whole decision can run
// against a temporary home with the prompts and processes stood in for.
class AppMoverPlatform {
public:
    virtual ~AppMoverPlatform() = default;

    // The running program's bundle: the directory holding bin/parley and
    // share/parley/Info.json.
    virtual QString bundlePath() const = 0;
    // Its Info.json's "PARLEY_BUNDLE_KIND"; none for a downloaded copy.
    virtual std::optional<QString> bundleKind() const = 0;
    virtual QString applicationName() const = 0;
    virtual qint64 processID() const = 0;
    // The Applications folders in the platform's order, "~" expanded.
    virtual QStringList applicationsFolders() const = 0;

    // Symbolic links resolved; empty when the path does not exist.
    virtual QString resolvedPath(const QString& path) const = 0;
    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;
    virtual bool isWritable(const QString& path) const = 0;
    // 0 when the folder cannot be listed.
    virtual qsizetype entryCount(const QString& folder) const = 0;
    // Copies a whole tree, keeping permissions, times and symbolic links.
    virtual bool copy(const QString& source, const QString& destination) = 0;
    virtual bool moveToTrash(const QString& path) = 0;
    virtual bool remove(const QString& path) = 0;

    // The bundles of the programs running now.
    virtual QStringList runningBundles() const = 0;
    // Starts the bundle's program, which brings a running copy to the front.
    virtual void openBundle(const QString& bundle) = 0;
    // Shows a modal alert; the index of the button chosen, -1 when closed.
    virtual int showAlert(const ModalAlert& alert) = 0;
    // Runs the commands, in order and each only if the one before succeeded,
    // as the administrator after one password prompt.
    virtual PrivilegedResult runPrivileged(const QList<QStringList>& commands) = 0;
    // Starts `destination`'s program once process `pid` has ended.
    virtual bool relaunch(qint64 pid, const QString& destination) = 0;
    // Ends the application once control returns to its event loop.
    virtual void quit() = 0;
};

} // namespace parley
