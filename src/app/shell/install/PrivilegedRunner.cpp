#include "app/shell/install/PrivilegedRunner.h"

namespace parley {

PrivilegedResult PrivilegedRunner::run(const QList<QStringList>& commands)
{
    QProcess pkexec;
    pkexec.setProcessChannelMode(QProcess::ForwardedChannels);
    pkexec.start(QStringLiteral("pkexec"), arguments(commands));
    if (!pkexec.waitForFinished(-1))
        return PrivilegedResult::failed;
    return result(pkexec.exitStatus(), pkexec.exitCode());
}

QStringList PrivilegedRunner::arguments(const QList<QStringList>& commands)
{
    QStringList words;
    QStringList steps;
    for (const QStringList& command : commands) {
        QStringList references;
        for (const QString& word : command) {
            words.append(word);
            references.append(QStringLiteral("\"${%1}\"").arg(words.size()));
        }
        steps.append(references.join(u' '));
    }
    return QStringList {
        QStringLiteral("/bin/sh"), QStringLiteral("-c"), steps.join(QStringLiteral(" && ")), QStringLiteral("sh")
    } + words;
}

PrivilegedResult PrivilegedRunner::result(QProcess::ExitStatus status, int exitCode)
{
    if (status != QProcess::NormalExit)
        return PrivilegedResult::failed;
    if (exitCode == 126 || exitCode == 127)
        return PrivilegedResult::cancelled;
    return exitCode == 0 ? PrivilegedResult::succeeded : PrivilegedResult::failed;
}

} // namespace parley
