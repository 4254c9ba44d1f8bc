#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace parley {

// Starts a bundle's program once a process has ended, from a detached shell
// that outlives the process asking for it.
class Relauncher {
public:
    static bool start(qint64 pid, const QString& bundle,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    // /bin/sh's arguments: a fixed script polling every 0.1 s until process
    // "$1" is gone, then starting "$2"/bin/parley. The process id and the
    // bundle are positional parameters, so no path is parsed by the shell.
    static QStringList arguments(qint64 pid, const QString& bundle);
};

} // namespace parley
