#include "parley-dev/Commands.h"
#include "parley-dev/TokenInput.h"

#include "parley-dev/TerminalText.h"
#include "app/session/SessionController.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/WhenFinished.h"
#include "twitch/api/TwitchAPI.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace parley::dev {
namespace {

void printLine(const QString& line)
{
    printTerminalLine(stdout, line);
    std::fflush(stdout);
}

// Chat text is untrusted: control characters must not reach the terminal.
QString printable(QString text)
{
    std::replace_if(
        text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; },
        QChar::ReplacementCharacter);
    return text;
}

QString describeSets(const EmoteSetStatuses& sets)
{
    QStringList described;
    for (auto it = sets.cbegin(); it != sets.cend(); ++it)
        described.append(it.key().description() + QLatin1Char('=') + toString(it.value()));
    described.sort();
    return described.isEmpty() ? QStringLiteral("(none)") : described.join(QLatin1Char(' '));
}

// Prints one status line whenever the session's emote state changes.
class SessionPrinter : public QObject {
public:
    explicit SessionPrinter(SessionController& session) : session_(session)
    {
        EmoteRegistry* registry = session.emoteRegistry();
        EmoteImageLoader* loader = session.emoteImageLoader();
        connect(registry, &EmoteRegistry::setsChanged, this, &SessionPrinter::print);
        connect(registry, &EmoteRegistry::emotesChanged, this, &SessionPrinter::print);
        connect(loader, &EmoteImageLoader::imagesChanged, this, &SessionPrinter::print);
        connect(loader, &EmoteImageLoader::queueChanged, this, &SessionPrinter::print);
        connect(session.chat(), &TwitchChat::messageAppended, this, &SessionPrinter::showMessage);
        print();
    }

private:
    void print()
    {
        const QString line = QStringLiteral("sets: %1 | emotes: %2 | images: %3 | queued: %4")
                                 .arg(describeSets(session_.emoteRegistry()->sets()))
                                 .arg(session_.emoteRegistry()->emotes().size())
                                 .arg(session_.emoteImageLoader()->imageCount())
                                 .arg(session_.emoteImageLoader()->queue().size());
        if (line == last_)
            return;
        last_ = line;
        printLine(line);
    }

    // Does what the chat window does for a message it shows: asks for the
    // message's emote sets and for the image of every emote in it.
    void showMessage(const TwitchChatMessage& message)
    {
        const TwitchChatTextMessage* text = message.text();
        if (!text)
            return;
        printLine(QStringLiteral("chat: %1: %2").arg(printable(text->displayName()), printable(text->body())));
        for (const QString& set : text->emoteSets())
            session_.emoteRegistry()->loadEmoteSet(EmoteSet::custom(set));
        for (const TwitchEmoteMark& mark : text->emotes())
            session_.emoteImageLoader()->loadImage(mark.emoteID);
    }

    SessionController& session_;
    QString last_;
};

} // namespace

int runSession(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOptions({
        { "token", "- reads the access token from standard input (else PARLEY_TOKEN); never printed.", "-" },
        { "identity", "Identity service address; the token is validated there for its login.", "URL",
            "https://id.twitch.tv" },
        { "helix", "Helix API address.", "URL", "https://api.twitch.tv" },
        { "chat-url", "Chat service address.", "URL", "wss://irc-ws.chat.twitch.tv:443" },
        { "client-id", "The application's client id.", "ID" },
        { "seconds", "End the session after this many seconds (default: run until the chat ends).", "N" },
        { "log", "Also print the chat client's log lines." },
    });
    parser.process(QStringList { QStringLiteral("parley-dev session") } + arguments);
    const std::optional<QString> accessToken = readToken(
        parser.isSet("token") ? std::optional(parser.value("token")) : std::nullopt, "session");
    if (!accessToken) {
        std::fputs("parley-dev session: needs a token: set PARLEY_TOKEN or pass --token -\n", stderr);
        return 2;
    }

    bool secondsValid = true;
    const int seconds = parser.isSet("seconds") ? parser.value("seconds").toInt(&secondsValid) : 0;
    if (!secondsValid || seconds < 0) {
        std::fputs("parley-dev session: --seconds takes a number of seconds\n", stderr);
        return 2;
    }

    // The session's own lines (emote fetch failures) always; the chat
    // client's only when asked for.
    const bool chatLog = parser.isSet("log");
    Diagnostics::setSink([chatLog](const QString& line) {
        if (chatLog || !line.startsWith(QLatin1String("TwitchChat.")))
            printLine(line);
    });

    TwitchEndpoints endpoints;
    endpoints.identityURL = QUrl(parser.value("identity"));
    endpoints.helixURL = QUrl(parser.value("helix"));
    endpoints.chatURL = QUrl(parser.value("chat-url"));
    const TwitchAPI twitch(endpoints, parser.value("client-id"), QUrl(QStringLiteral("http://localhost:17563")));

    const auto images = ImagePipeline::create();
    std::unique_ptr<SessionController> session;
    std::unique_ptr<SessionPrinter> printer;
    QObject context;
    // The login (the channel to join) and the user id come from validating the token.
    whenFinished(twitch.validate(*accessToken), &context, [&](QFuture<TwitchUserAccessToken> validation) {
        TwitchUserAccessToken token;
        try {
            token = validation.result();
        } catch (...) {
            printLine(QStringLiteral("token validation failed: ") + describe(std::current_exception()));
            QCoreApplication::exit(1);
            return;
        }
        printLine(QStringLiteral("signed in as %1 (user id %2)")
                      .arg(printable(token.info.login), printable(token.info.userID)));
        session = std::make_unique<SessionController>(twitch, token, nullptr, *images);
        printer = std::make_unique<SessionPrinter>(*session);
        QObject::connect(session.get(), &SessionController::errors, &context, [&](const std::exception_ptr& error) {
            printLine(QStringLiteral("Disconnected from chat: ") + describe(error));
            QCoreApplication::exit(1);
        });
    });
    if (seconds > 0)
        QTimer::singleShot(std::chrono::seconds(seconds), &context, [] { QCoreApplication::exit(0); });
    const int status = QCoreApplication::exec();
    printer.reset();
    session.reset();
    return status;
}

} // namespace parley::dev
