#include "parley-dev/Commands.h"
#include "parley-dev/TerminalText.h"

#include "platform/Diagnostics.h"

#include <QApplication>

#include <cstdio>
#include <iterator>

using parley::dev::Command;

namespace {

const Command commands[] = {
    { "api", "api authorize-url|validate|token-from-redirect|emotes ...    call the Twitch web services",
        parley::dev::runApi },
    { "irc", "irc < frame    parse a chat frame's lines into JSON, one object per line", parley::dev::runIrc },
    { "images", "images load URL... [--repeat N] [--priority P]    load images through a pipeline like the app's",
        parley::dev::runImages },
    { "chat",
        "chat [--token -] (--login LOGIN | --identity URL) [--chat-url URL] [--channel NAME]\n"
        "               join a channel; typed lines are sent, log lines and confirmations printed",
        parley::dev::runChat },
    { "session",
        "session [--token -] [--identity URL] [--helix URL] [--chat-url URL] [--client-id ID] [--seconds N]\n"
        "               run a session; prints emote set statuses and the counts of emote records and images",
        parley::dev::runSession },
    { "mod",
        "mod delete MSGID | timeout LOGIN_OR_ID SECONDS | ban LOGIN_OR_ID | unban LOGIN_OR_ID [--token -]\n"
        "               [--identity URL] [--helix URL] [--client-id ID]    moderate your own chat",
        parley::dev::runMod },
    { "login",
        "login --bundle DIR    print the sign-in URL, read the redirect URL, sign in and report the stored items",
        parley::dev::runLogin },
    { "window",
        "window [--shot FILE] [--seconds N] [--rate R] [--no-timestamps] [--spacing P] [--disconnect] [--draft TEXT] "
        "[--size WxH]\n"
        "               show the chat window with simulated chat; --shot saves a picture and quits",
        parley::dev::runWindow },
    { "logout", "logout --bundle DIR    restore the stored sign-in, then log out: revoke the token, remove the items",
        parley::dev::runLogout },
};

int usage()
{
    std::fputs("usage: parley-dev COMMAND [ARGS...]\n\ncommands:\n", stderr);
    for (const Command& command : commands)
        if (command.name)
            std::fprintf(stderr, "  %s\n", command.usage);
    std::fputs("\nCommands that need an access token read it from PARLEY_TOKEN, or from standard input where - stands\n"
               "for it; one given on the command line is visible to every local user.\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Log lines carry wire text: it reaches the terminal escaped.
    parley::Diagnostics::setSink([](const QString& line) { parley::dev::printTerminalLine(stdout, line); });
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    const QString name = arguments.takeFirst();
    for (const Command& command : commands)
        if (command.name && name == QLatin1String(command.name))
            return command.run(arguments);
    return usage();
}
