#pragma once

#include "app/shell/install/AppMoverPlatform.h"

namespace parley {

// The move check's system on a Linux desktop: the bundle is the directory
// above the program's bin/, the Applications folders are ~/Applications and
// /Applications, the Trash is the desktop's, pkexec runs the privileged copy.
class DesktopAppMoverPlatform : public AppMoverPlatform {
public:
    DesktopAppMoverPlatform(QString bundlePath, QStringList applicationsFolders);

    // The running program's bundle and the standard Applications folders.
    static DesktopAppMoverPlatform forThisProgram();

    QString bundlePath() const override;
    std::optional<QString> bundleKind() const override;
    QString applicationName() const override;
    qint64 processID() const override;
    QStringList applicationsFolders() const override;

    QString resolvedPath(const QString& path) const override;
    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    bool isWritable(const QString& path) const override;
    qsizetype entryCount(const QString& folder) const override;
    bool copy(const QString& source, const QString& destination) override;
    bool moveToTrash(const QString& path) override;
    bool remove(const QString& path) override;

    QStringList runningBundles() const override;
    void openBundle(const QString& bundle) override;
    int showAlert(const ModalAlert& alert) override;
    PrivilegedResult runPrivileged(const QList<QStringList>& commands) override;
    bool relaunch(qint64 pid, const QString& destination) override;
    void quit() override;

private:
    QString bundlePath_;
    QStringList applicationsFolders_;
};

} // namespace parley
