#include "parley-dev/Commands.h"
#include "parley-dev/TerminalText.h"
#include "parley-dev/TokenInput.h"

#include "app/session/ModerationActions.h"
#include "platform/Error.h"
#include "platform/ErrorPresenter.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchModeration.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

namespace parley::dev {
namespace {

const char* const usageText =
    "usage: parley-dev mod delete MSGID | timeout LOGIN_OR_ID SECONDS | ban LOGIN_OR_ID | unban LOGIN_OR_ID\n"
    "                      [--token -] [--identity URL] [--helix URL] [--client-id ID]\n"
    "Moderates the token's own channel. The token comes from PARLEY_TOKEN, or from standard input with --token -.\n";

int usageError(const QString& problem)
{
    std::fprintf(stderr, "parley-dev mod: %s\n%s", qPrintable(problem), usageText);
    return 2;
}

// Runs the event loop until the future settles; its failure, if any.
template <typename T>
std::exception_ptr settle(QFuture<T> future)
{
    while (!future.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    try {
        future.waitForFinished();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// The failure in the words the window would show; exit status 1.
int fail(const std::exception_ptr& error)
{
    printTerminalLine(stdout, ErrorPresenter::userMessage(error));
    return 1;
}

// A user id as given, or the id of the account with that login.
std::optional<QString> userID(const TwitchModeration& moderation, const QString& loginOrID, int& status)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (digits.match(loginOrID).hasMatch())
        return loginOrID;
    QFuture<std::optional<TwitchUserInfo>> lookup = moderation.user(loginOrID);
    if (const std::exception_ptr error = settle(lookup)) {
        status = fail(error);
        return std::nullopt;
    }
    if (const std::optional<TwitchUserInfo> user = lookup.result())
        return user->id;
    printTerminalLine(stdout, QStringLiteral("No Twitch account is named %1.").arg(loginOrID));
    status = 1;
    return std::nullopt;
}

int moderate(const TwitchModeration& moderation, const QStringList& positional)
{
    ModerationActions actions(moderation);
    const QString action = positional.value(0);
    const QString target = positional.value(1);
    if (action == QLatin1String("delete") && positional.size() == 2) {
        if (const std::exception_ptr error = settle(actions.deleteMessage(target)))
            return fail(error);
        printTerminalLine(stdout, QStringLiteral("deleted message %1").arg(target));
        return 0;
    }
    bool secondsValid = false;
    const qint64 seconds = positional.value(2).toLongLong(&secondsValid);
    const bool isTimeout = action == QLatin1String("timeout") && positional.size() == 3 && secondsValid && seconds > 0;
    const bool isBan = (action == QLatin1String("ban") || action == QLatin1String("unban")) && positional.size() == 2;
    if (!isTimeout && !isBan)
        return usageError(QStringLiteral("unknown or incomplete action"));
    int status = 0;
    const std::optional<QString> id = userID(moderation, target, status);
    if (!id)
        return status;
    QFuture<void> done = isTimeout              ? actions.timeout(*id, std::chrono::seconds(seconds))
        : action == QLatin1String("ban") ? actions.ban(*id)
                                         : actions.unban(*id);
    if (const std::exception_ptr error = settle(done))
        return fail(error);
    if (isTimeout)
        printTerminalLine(stdout, QStringLiteral("timed out %1 for %2 seconds").arg(target).arg(seconds));
    else
        printTerminalLine(stdout, (action == QLatin1String("ban") ? QStringLiteral("banned %1") : QStringLiteral("unbanned %1")).arg(target));
    return 0;
}

} // namespace

int runMod(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption token(QStringLiteral("token"), QString(), QStringLiteral("-"));
    const QCommandLineOption identity(
        QStringLiteral("identity"), QString(), QStringLiteral("URL"), TwitchEndpoints().identityURL.toString());
    const QCommandLineOption helix(
        QStringLiteral("helix"), QString(), QStringLiteral("URL"), TwitchEndpoints().helixURL.toString());
    const QCommandLineOption clientID(QStringLiteral("client-id"), QString(), QStringLiteral("ID"));
    parser.addOptions({ token, identity, helix, clientID });
    if (!parser.parse(QStringList(QStringLiteral("parley-dev mod")) + arguments))
        return usageError(parser.errorText());
    const std::optional<QString> accessToken =
        readToken(parser.isSet(token) ? std::optional(parser.value(token)) : std::nullopt, "mod");
    if (!accessToken)
        return usageError(QStringLiteral("needs a token: set PARLEY_TOKEN or pass --token -"));

    TwitchEndpoints endpoints;
    endpoints.identityURL = QUrl(parser.value(identity));
    endpoints.helixURL = QUrl(parser.value(helix));
    const TwitchAPI twitch(endpoints, parser.value(clientID), QUrl(QStringLiteral("http://localhost:17563")));
    // The broadcaster (and moderator) is the token's user, and its scopes say what it may do.
    QFuture<TwitchUserAccessToken> validation = twitch.validate(*accessToken);
    if (const std::exception_ptr error = settle(validation))
        return fail(error);
    return moderate(TwitchModeration(twitch, validation.result()), parser.positionalArguments());
}

} // namespace parley::dev
