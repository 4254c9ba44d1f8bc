#pragma once

#include "app/shell/install/AppMoverPlatform.h"

#include <QProcess>

namespace parley {

// Runs commands as the administrator through pkexec, all of them behind one
// password prompt.
class PrivilegedRunner {
public:
    // Blocks until the commands have run or the prompt was dismissed.
    static PrivilegedResult run(const QList<QStringList>& commands);

    // pkexec's arguments: a shell whose fixed script only names positional
    // parameters, with every word of every command passed as one, so no path
    // is ever parsed by a shell.
    static QStringList arguments(const QList<QStringList>& commands);
    // pkexec exits with 126 or 127 when the user dismisses its prompt.
    static PrivilegedResult result(QProcess::ExitStatus status, int exitCode);
};

} // namespace parley
