#include "parley-dev/Commands.h"
#include "parley-dev/TerminalText.h"
#include "parley-dev/TokenInput.h"

#include "app/account/SignInAttempt.h"
#include "platform/Error.h"
#include "platform/ErrorPresenter.h"
#include "twitch/api/TwitchAPI.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <variant>

namespace parley::dev {
namespace {

const char* const usageText =
    "usage: parley-dev api authorize-url --client-id ID --redirect URL [--scope SCOPE]... [--identity URL]\n"
    "       parley-dev api validate [-] [--identity URL]\n"
    "       parley-dev api token-from-redirect URL [--identity URL]\n"
    "       parley-dev api emotes global|channel ID|set ID [--token -] [--client-id ID] [--helix URL]\n"
    "The token comes from PARLEY_TOKEN, or from standard input where - stands for it.\n";

int usageError(const QString& problem)
{
    std::fprintf(stderr, "parley-dev api: %s\n%s", qPrintable(problem), usageText);
    return 2;
}

void printJson(const QJsonObject& object)
{
    std::fputs(QJsonDocument(object).toJson(QJsonDocument::Indented).constData(), stdout);
}

// Prints what a developer and what a user would be told.
class ConsolePresenter : public ErrorPresenter {
public:
    void presentErrorMessage(const QString& message) override
    {
        printTerminalLine(stderr, QStringLiteral("message: ") + message);
    }
};

int fail(const std::exception_ptr& error)
{
    printTerminalLine(stderr, QStringLiteral("error: ") + describe(error));
    ConsolePresenter().presentError(error);
    return 1;
}

// Runs the event loop until the future settles; its value, or the exit
// status of the reported failure.
template <typename T>
std::variant<T, int> wait(QFuture<T> future)
{
    while (!future.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    try {
        return future.result();
    } catch (...) {
        return fail(std::current_exception());
    }
}

// The token's info without the token itself, with a readable expiry.
QJsonObject describeToken(const TwitchUserAccessToken& token)
{
    QJsonObject json = token.info.toJson();
    json.remove(QStringLiteral("expires_in"));
    json.insert(QStringLiteral("expires_at"), token.info.expiresAt.toString(Qt::ISODate));
    return json;
}

int authorizeURL(const TwitchAPI& api, const QStringList& scopeNames)
{
    QSet<TwitchAuthScope> scopes { TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit };
    if (!scopeNames.isEmpty())
        scopes.clear();
    for (const QString& name : scopeNames) {
        const std::optional<TwitchAuthScope> scope = fromRawValue<TwitchAuthScope>(name);
        if (!scope)
            return usageError(QStringLiteral("unknown scope \"%1\"").arg(name));
        scopes.insert(*scope);
    }
    // A fresh state, as every sign-in attempt of the application has; the
    // redirect must bring it back.
    const QString state = SignInAttempt::makeState();
    printJson({ { QStringLiteral("url"), api.authorizationURL(scopes, state).toString(QUrl::FullyEncoded) },
        { QStringLiteral("state"), state } });
    return 0;
}

int validate(const TwitchAPI& api, const QString& token)
{
    const auto result = wait(api.validate(token));
    if (const int* status = std::get_if<int>(&result))
        return *status;
    printJson(describeToken(std::get<TwitchUserAccessToken>(result)));
    return 0;
}

int tokenFromRedirect(const TwitchAPI& api, const QString& redirect)
{
    const auto result = wait(api.userAccessToken(QUrl(redirect)));
    if (const int* status = std::get_if<int>(&result))
        return *status;
    const auto& token = std::get<std::optional<TwitchUserAccessToken>>(result);
    if (!token) {
        std::fputs("The redirect carried no access token.\n", stderr);
        return 1;
    }
    printJson(describeToken(*token));
    return 0;
}

int emotes(const TwitchAPI& api, const QStringList& positional, const QString& token)
{
    const QString kind = positional.value(1);
    const TwitchUserAccessToken accessToken { token, {} };
    QFuture<TwitchEmoteSet> request;
    if (kind == QLatin1String("global") && positional.size() == 2)
        request = api.globalEmotes(accessToken);
    else if (kind == QLatin1String("channel") && positional.size() == 3)
        request = api.channelEmotes(positional[2], accessToken);
    else if (kind == QLatin1String("set") && positional.size() == 3)
        request = api.emoteSet(positional[2], accessToken);
    else
        return usageError(QStringLiteral("emotes takes global, channel ID or set ID"));
    const auto result = wait(request);
    if (const int* status = std::get_if<int>(&result))
        return *status;
    printJson(std::get<TwitchEmoteSet>(result).toJson());
    return 0;
}

} // namespace

int runApi(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption identity(
        QStringLiteral("identity"), QString(), QStringLiteral("URL"), TwitchEndpoints().identityURL.toString());
    const QCommandLineOption helix(
        QStringLiteral("helix"), QString(), QStringLiteral("URL"), TwitchEndpoints().helixURL.toString());
    const QCommandLineOption clientID(QStringLiteral("client-id"), QString(), QStringLiteral("ID"));
    const QCommandLineOption redirect(QStringLiteral("redirect"), QString(), QStringLiteral("URL"));
    const QCommandLineOption scope(QStringLiteral("scope"), QString(), QStringLiteral("SCOPE"));
    const QCommandLineOption token(QStringLiteral("token"), QString(), QStringLiteral("TOKEN"));
    parser.addOptions({ identity, helix, clientID, redirect, scope, token });
    if (!parser.parse(QStringList(QStringLiteral("parley-dev api")) + arguments))
        return usageError(parser.errorText());

    TwitchEndpoints endpoints;
    endpoints.identityURL = QUrl(parser.value(identity));
    endpoints.helixURL = QUrl(parser.value(helix));
    if (!endpoints.identityURL.isValid() || !endpoints.helixURL.isValid())
        return usageError(QStringLiteral("invalid service address"));
    const TwitchAPI api(endpoints, parser.value(clientID), QUrl(parser.value(redirect)));

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    if (command == QLatin1String("authorize-url") && positional.size() == 1) {
        if (!parser.isSet(clientID) || !parser.isSet(redirect))
            return usageError(QStringLiteral("authorize-url needs --client-id and --redirect"));
        return authorizeURL(api, parser.values(scope));
    }
    if (command == QLatin1String("validate") && positional.size() <= 2) {
        const std::optional<QString> accessToken = readToken(
            positional.size() == 2 ? std::optional(positional[1]) : std::nullopt, "api");
        if (!accessToken)
            return usageError(QStringLiteral("validate needs a token: set PARLEY_TOKEN or pass -"));
        return validate(api, *accessToken);
    }
    if (command == QLatin1String("token-from-redirect") && positional.size() == 2)
        return tokenFromRedirect(api, positional[1]);
    if (command == QLatin1String("emotes")) {
        const std::optional<QString> accessToken = readToken(
            parser.isSet(token) ? std::optional(parser.value(token)) : std::nullopt, "api");
        if (!accessToken)
            return usageError(QStringLiteral("emotes needs a token: set PARLEY_TOKEN or pass --token -"));
        return emotes(api, positional, *accessToken);
    }
    return usageError(QStringLiteral("unknown or incomplete subcommand"));
}

} // namespace parley::dev
