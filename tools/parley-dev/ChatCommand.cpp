#include "parley-dev/Commands.h"
#include "parley-dev/TerminalText.h"
#include "parley-dev/TokenInput.h"

#include "platform/Error.h"
#include "platform/WhenFinished.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/chat/TwitchChat.h"
#include "twitch/chat/TwitchChatError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace parley::dev {

namespace {

// How long the end of input waits for the service to confirm what was sent.
constexpr std::chrono::milliseconds confirmationGrace = std::chrono::seconds(5);

void printError(const QString& text)
{
    printTerminalLine(stderr, QStringLiteral("parley-dev chat: ") + text);
}

// Runs one chat connection: typed lines go out as messages, confirmed and
// refused own messages are printed, the client's log lines (reconnects among
// them) go to standard output. Ends with status 0 at the end of the input,
// whatever reconnects happened; 1 when the chat fails for good. Unlike the
// app, the command gives up when its first connection cannot be made: a
// script learns at once that the service is out of reach.
class ChatSession : public QObject {
public:
    ChatSession(TwitchEndpoints endpoints, TwitchUserAccessToken token, std::optional<QString> channel)
        : chat_(std::move(endpoints), std::move(token), std::move(channel)), input_(STDIN_FILENO, QSocketNotifier::Read)
    {
        QObject::connect(&chat_, &TwitchChat::ownMessageConfirmed, this, [this](const TwitchChatTextMessage& own) {
            printTerminalLine(
                stdout, QStringLiteral("confirmed %1 %2: %3").arg(own.id(), own.displayName(), own.body()));
            endIfSettled();
        });
        QObject::connect(&input_, &QSocketNotifier::activated, this, &ChatSession::readInput);
        QObject::connect(&chat_, &TwitchChat::connectionStateChanged, this, &ChatSession::connectionStateChanged);
        connection_ = chat_.connect();
        QObject::connect(connection_.get(), &TwitchChatConnection::finished, this, [this] {
            if (connection_->error())
                printError(connection_->errorDescription());
            QCoreApplication::exit(connection_->error() ? 1 : 0);
        });
    }

private:
    void connectionStateChanged()
    {
        const TwitchChatConnectionState& state = chat_.connectionState();
        if (state.phase == TwitchChatConnectionState::Phase::connected)
            wasConnected_ = true;
        if (state.phase != TwitchChatConnectionState::Phase::reconnecting || wasConnected_)
            return;
        printError(state.errorDescription());
        QCoreApplication::exit(1);
    }

    void readInput()
    {
        char buffer[4096];
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size <= 0) {
            endInput();
            return;
        }
        pending_.append(buffer, size);
        for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
            const QString line = QString::fromUtf8(pending_.left(end)).remove(u'\r');
            pending_.remove(0, end + 1);
            if (!line.isEmpty())
                send(line);
        }
    }

    void send(const QString& text)
    {
        whenFinished(chat_.send(text), this, [this, text](QFuture<void> sent) {
            try {
                sent.waitForFinished();
            } catch (const TwitchChatError& error) {
                printTerminalLine(stdout, QStringLiteral("refused %1: %2").arg(text, error.description()));
            } catch (const Error& error) {
                printError(QStringLiteral("sending failed: ") + error.description());
            }
            endIfSettled();
        });
    }

    // Cancels the connection once what was sent is settled, or after a grace
    // period (a reconnect may hold the answers up).
    void endInput()
    {
        input_.setEnabled(false);
        inputEnded_ = true;
        QTimer::singleShot(confirmationGrace, connection_.get(), &TwitchChatConnection::cancel);
        endIfSettled();
    }

    void endIfSettled()
    {
        if (inputEnded_ && chat_.pendingMessages().isEmpty())
            connection_->cancel();
    }

    TwitchChat chat_;
    std::unique_ptr<TwitchChatConnection> connection_;
    QSocketNotifier input_;
    QByteArray pending_;
    bool inputEnded_ = false;
    bool wasConnected_ = false;
};

} // namespace

int runChat(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption token(
        u"token"_qs, u"- reads the access token from standard input's first line."_qs, u"-"_qs);
    const QCommandLineOption login(u"login"_qs, u"The login to chat as."_qs, u"LOGIN"_qs);
    const QCommandLineOption identity(u"identity"_qs, u"Validate the token here to learn the login."_qs, u"URL"_qs);
    const QCommandLineOption chatURL(u"chat-url"_qs, u"The chat service's WebSocket address."_qs, u"URL"_qs);
    const QCommandLineOption channel(u"channel"_qs, u"The channel to join (default: the login's own)."_qs, u"NAME"_qs);
    parser.addOptions({ token, login, identity, chatURL, channel });
    if (!parser.parse(QStringList { u"parley-dev chat"_qs } + arguments) ||
        parser.isSet(login) == parser.isSet(identity)) {
        printError(parser.errorText().isEmpty() ? u"needs one of --login or --identity"_qs : parser.errorText());
        return 2;
    }
    const std::optional<QString> accessToken = readToken(
        parser.isSet(token) ? std::optional(parser.value(token)) : std::nullopt, "chat");
    if (!accessToken) {
        printError(u"needs a token: set PARLEY_TOKEN or pass --token -"_qs);
        return 2;
    }

    TwitchEndpoints endpoints;
    if (parser.isSet(chatURL))
        endpoints.chatURL = QUrl(parser.value(chatURL));
    if (parser.isSet(identity))
        endpoints.identityURL = QUrl(parser.value(identity));
    std::optional<QString> channelName;
    if (parser.isSet(channel))
        channelName = parser.value(channel);

    const TwitchAPI api(endpoints, QString(), QUrl());
    std::unique_ptr<ChatSession> session;
    auto start = [&](TwitchUserAccessToken accessToken) {
        session = std::make_unique<ChatSession>(endpoints, std::move(accessToken), channelName);
    };
    if (parser.isSet(login)) {
        TwitchUserAccessToken loggedIn { *accessToken, {} };
        loggedIn.info.login = parser.value(login);
        start(std::move(loggedIn));
    } else {
        whenFinished(api.validate(*accessToken), qApp, [&start](QFuture<TwitchUserAccessToken> validated) {
            try {
                start(validated.result());
            } catch (const Error& error) {
                printError(error.description());
                QCoreApplication::exit(1);
            }
        });
    }
    return QCoreApplication::exec();
}

} // namespace parley::dev
