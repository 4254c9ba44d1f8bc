#include "parley-dev/TokenInput.h"

#include <QByteArray>

#include <cstdio>
#include <unistd.h>

namespace parley::dev {
namespace {

// One line from file descriptor 0, read byte by byte so that nothing after
// it is consumed: a command may go on reading standard input itself.
QString readLine()
{
    QByteArray line;
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) == 1 && byte != '\n')
        line.append(byte);
    return QString::fromUtf8(line).trimmed();
}

} // namespace

std::optional<QString> readToken(const std::optional<QString>& argument, const char* command)
{
    if (argument == QLatin1String("-")) {
        const QString token = readLine();
        return token.isEmpty() ? std::nullopt : std::optional<QString>(token);
    }
    if (argument) {
        std::fprintf(stderr,
            "parley-dev %s: warning: a token on the command line can be read by every local user and stays "
            "in shell histories; set PARLEY_TOKEN or pass - to read it from standard input\n",
            command);
        return argument;
    }
    const QString fromEnvironment = qEnvironmentVariable("PARLEY_TOKEN").trimmed();
    return fromEnvironment.isEmpty() ? std::nullopt : std::optional<QString>(fromEnvironment);
}

} // namespace parley::dev
