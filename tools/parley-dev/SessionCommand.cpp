#include "parley-dev/Commands.h"
#include "parley-dev/TokenInput.h"

#include "parley-dev/TerminalText.h"
#include "app/overlay/MessageRuns.h"
#include "app/overlay/SessionOverlay.h"
#include "app/session/SessionController.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/WhenFinished.h"
#include "twitch/api/TwitchAPI.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
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

// A message body as the window composes it, one JSON object per run.
QString runsLine(const TwitchChatTextMessage& message, SessionController& session)
{
    return QStringLiteral("runs: ")
        + QString::fromUtf8(QJsonDocument(messageRuns(message, session)).toJson(QJsonDocument::Compact));
}

// Prints one status line whenever the session's emote state changes.
class SessionPrinter : public QObject {
public:
    SessionPrinter(SessionController& session, bool printRuns) : session_(session), printRuns_(printRuns)
    {
        EmoteRegistry* registry = session.emoteRegistry();
        EmoteImageLoader* loader = session.emoteImageLoader();
        connect(registry, &EmoteRegistry::setsChanged, this, &SessionPrinter::print);
        connect(registry, &EmoteRegistry::emotesChanged, this, &SessionPrinter::print);
        connect(loader, &EmoteImageLoader::imagesChanged, this, &SessionPrinter::print);
        connect(loader, &EmoteImageLoader::queueChanged, this, &SessionPrinter::print);
        connect(session.chat(), &TwitchChat::messageAppended, this, &SessionPrinter::showMessage);
        connect(session.chat(), &TwitchChat::messagesInserted, this, &SessionPrinter::showInserted);
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
        if (printRuns_)
            printLine(runsLine(*text, session_));
        for (const QString& set : text->emoteSets())
            session_.emoteRegistry()->loadEmoteSet(EmoteSet::custom(set));
        for (const TwitchEmoteMark& mark : text->emotes())
            session_.emoteImageLoader()->loadImage(mark.emoteID);
    }

    // The recent history, put before the live messages.
    void showInserted(qsizetype position, qsizetype count)
    {
        for (const TwitchChatMessage& message : session_.chat()->messages().sliced(position, count))
            showMessage(message);
    }

    SessionController& session_;
    const bool printRuns_;
    QString last_;
};

// The community services' addresses, from the options; none unless --7tv,
// --bttv or --ffz names one (a service not named is not reachable then).
std::optional<CommunityEmoteServices> communityServices(const QCommandLineParser& parser)
{
    if (!parser.isSet("bttv") && !parser.isSet("ffz") && !parser.isSet("7tv"))
        return std::nullopt;
    return CommunityEmoteServices { QUrl(parser.value("bttv")), QUrl(parser.value("bttv-cdn")),
        QUrl(parser.value("ffz")), QUrl(parser.value("7tv")) };
}

void switchOffUnnamed(CommunityEmoteCatalogue& catalogue, const CommunityEmoteServices& services)
{
    catalogue.setProviderEnabled(CommunityEmoteProvider::BetterTTV, !services.betterTTVAPI.isEmpty());
    catalogue.setProviderEnabled(CommunityEmoteProvider::FrankerFaceZ, !services.frankerFaceZAPI.isEmpty());
    catalogue.setProviderEnabled(CommunityEmoteProvider::SevenTV, !services.sevenTVAPI.isEmpty());
}

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
        { "runs", "Print each chat message's runs (badges, text and emotes) as JSON." },
        { "bttv", "BetterTTV API address (community emotes load only with --bttv, --ffz or --7tv).", "URL" },
        { "bttv-cdn", "BetterTTV image address.", "URL" },
        { "ffz", "FrankerFaceZ API address.", "URL" },
        { "7tv", "7TV API address.", "URL" },
        { "history", "Load the recent chat on joining from this recent-messages service (a third party).", "URL" },
        { "overlay", "Serve the chat overlay on 127.0.0.1 at PORT (0: any free port) and print its address.",
            "PORT" },
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

    std::optional<OverlayOptions> overlayOptions;
    if (parser.isSet("overlay")) {
        bool portValid = false;
        const uint port = parser.value("overlay").toUInt(&portValid);
        if (!portValid || port > 65535) {
            std::fputs("parley-dev session: --overlay takes a port (0 for any free one)\n", stderr);
            return 2;
        }
        overlayOptions = OverlayOptions { .enabled = true, .port = quint16(port), .token = OverlayOptions::newToken() };
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

    const std::optional<CommunityEmoteServices> community = communityServices(parser);
    std::optional<RecentMessagesService> recentMessages;
    if (parser.isSet("history"))
        recentMessages = RecentMessagesService { QUrl(parser.value("history")), "Parley/" PARLEY_VERSION };
    const auto images = ImagePipeline::create();
    std::unique_ptr<SessionController> session;
    std::unique_ptr<SessionPrinter> printer;
    std::unique_ptr<SessionOverlay> overlay;
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
        session = std::make_unique<SessionController>(twitch, token, nullptr, *images, community, recentMessages);
        session->setLoadsRecentMessages(recentMessages.has_value());
        printer = std::make_unique<SessionPrinter>(*session, parser.isSet("runs"));
        if (community)
            switchOffUnnamed(*session->communityEmotes(), *community);
        if (overlayOptions) {
            overlay = std::make_unique<SessionOverlay>(*session);
            if (!overlay->listen(*overlayOptions)) {
                printLine(QStringLiteral("overlay: no free port from %1").arg(overlayOptions->port));
                QCoreApplication::exit(1);
                return;
            }
            printLine(QStringLiteral("overlay: ") + overlay->address());
        }
        QObject::connect(session.get(), &SessionController::errors, &context, [&](const std::exception_ptr& error) {
            printLine(QStringLiteral("Disconnected from chat: ") + describe(error));
            QCoreApplication::exit(1);
        });
    });
    if (seconds > 0)
        QTimer::singleShot(std::chrono::seconds(seconds), &context, [] { QCoreApplication::exit(0); });
    const int status = QCoreApplication::exec();
    overlay.reset();
    printer.reset();
    session.reset();
    return status;
}

} // namespace parley::dev
