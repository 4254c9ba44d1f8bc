#include "app/shell/install/Relauncher.h"

#include <QProcess>

namespace parley {

bool Relauncher::start(qint64 pid, const QString& bundle, const QProcessEnvironment& environment)
{
    QProcess shell;
    shell.setProgram(QStringLiteral("/bin/sh"));
    shell.setArguments(arguments(pid, bundle));
    shell.setProcessEnvironment(environment);
    return shell.startDetached();
}

QStringList Relauncher::arguments(qint64 pid, const QString& bundle)
{
    static const QString script = QStringLiteral(
        "(while kill -0 \"$1\" 2>/dev/null; do /bin/sleep 0.1; done; exec \"$2/bin/parley\") &");
    return { QStringLiteral("-c"), script, QStringLiteral("sh"), QString::number(pid), bundle };
}

} // namespace parley
