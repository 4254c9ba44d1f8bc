// parley-twitch-sim: the local Twitch stand-in as a program of its own.

#include "twitch-sim/FaultSpec.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace parley::sim;

namespace {

void print(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

int fail(const QString& message)
{
    std::fputs(qPrintable(QStringLiteral("parley-twitch-sim: ") + message + u'\n'), stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("parley-twitch-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the Twitch identity service, Helix emote catalogue, emote images, chat and stand-ins of the community emote services on 127.0.0.1."));
    parser.addHelpOption();
    parser.addOptions({
        { QStringLiteral("port"), QStringLiteral("Port to listen on (default: a free one)."), QStringLiteral("port"),
            QStringLiteral("0") },
        { QStringLiteral("token"),
            QStringLiteral("Token the authorize page hands out (known to validation and Helix)."),
            QStringLiteral("token") },
        { QStringLiteral("refuse"), QStringLiteral("The authorize page answers access_denied.") },
        { QStringLiteral("fault"),
            QStringLiteral("Misbehave on PATH (a trailing * matches a prefix). SPEC: status:N, redirect:URL, delay:MS, "
                           "truncate:BYTES, "
                           "drop[:BYTES], stall[:BYTES], range:whole, stream:BYTES, endless, trickle:MS, times:N, "
                           "comma-separated. Repeatable."),
            QStringLiteral("PATH=SPEC") },
        { QStringLiteral("quiet"), QStringLiteral("Do not log requests.") },
        { QStringLiteral("chat-rate"), QStringLiteral("Generated chat messages per second in every joined channel."),
            QStringLiteral("rate"), QStringLiteral("0") },
        { QStringLiteral("ping-interval"), QStringLiteral("Seconds between the chat service's PINGs."),
            QStringLiteral("seconds"), QStringLiteral("300") },
    });
    parser.process(app);

    TwitchSimulator simulator;
    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535)
        return fail(QStringLiteral("invalid port \"%1\"").arg(parser.value(QStringLiteral("port"))));
    for (const QString& option : parser.values(QStringLiteral("fault"))) {
        const QString path = option.section(u'=', 0, 0);
        const std::optional<HttpFault> fault = parseFaultSpec(option.section(u'=', 1));
        if (!path.startsWith(u'/') || !fault)
            return fail(QStringLiteral("invalid fault \"%1\"").arg(option));
        simulator.setFault(path, *fault);
    }
    if (parser.isSet(QStringLiteral("token"))) {
        const QString token = parser.value(QStringLiteral("token"));
        if (!simulator.model().token(token))
            simulator.model().addToken({ token, QString::fromLatin1(demo::clientID), QString::fromLatin1(demo::userID),
                { QStringLiteral("chat:edit"), QStringLiteral("chat:read"),
                    QStringLiteral("moderator:manage:chat_messages"), QStringLiteral("moderator:manage:banned_users") } });
        simulator.setAuthorizationToken(token);
    }
    simulator.setRefusesAuthorization(parser.isSet(QStringLiteral("refuse")));
    const double chatRate = parser.value(QStringLiteral("chat-rate")).toDouble(&ok);
    if (!ok || chatRate < 0)
        return fail(QStringLiteral("invalid chat rate \"%1\"").arg(parser.value(QStringLiteral("chat-rate"))));
    if (chatRate > 0)
        simulator.chat().startTraffic(chatRate);
    const double pingInterval = parser.value(QStringLiteral("ping-interval")).toDouble(&ok);
    if (!ok || pingInterval < 0)
        return fail(QStringLiteral("invalid ping interval \"%1\"").arg(parser.value(QStringLiteral("ping-interval"))));
    simulator.chat().setPingInterval(std::chrono::milliseconds(qint64(pingInterval * 1000)));
    if (!parser.isSet(QStringLiteral("quiet")))
        QObject::connect(&simulator, &TwitchSimulator::requestServed, [](const SimRequest& request, int status) {
            print(QStringLiteral("%1 %2%3 -> %4")
                      .arg(QString::fromLatin1(request.method), request.path,
                          request.query.isEmpty() ? QString() : u'?' + request.query)
                      .arg(status));
        });

    if (simulator.start(quint16(port)) == 0)
        return fail(QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port));
    print(QStringLiteral("parley-twitch-sim listening on %1").arg(simulator.baseURL().toString()));
    print(QStringLiteral("chat: %1").arg(simulator.chatURL().toString()));
    print(QStringLiteral("client id: %1").arg(QString::fromLatin1(demo::clientID)));
    print(QStringLiteral("bttv: %1").arg(simulator.betterTTVAPIURL().toString()));
    print(QStringLiteral("bttv cdn: %1").arg(simulator.betterTTVCDNURL().toString()));
    print(QStringLiteral("ffz: %1").arg(simulator.frankerFaceZAPIURL().toString()));
    print(QStringLiteral("7tv: %1").arg(simulator.sevenTVAPIURL().toString()));
    print(QStringLiteral("recent messages: %1").arg(simulator.recentMessagesURL().toString()));
    for (const char* token : { demo::token, demo::chatOnlyToken, demo::readOnlyToken, demo::foreignToken }) {
        const SimToken known = *simulator.model().token(QString::fromLatin1(token));
        print(QStringLiteral("token %1: %2 (user %3, client %4) %5")
                  .arg(known.token, simulator.model().user(known.userID)->login, known.userID, known.clientID,
                      known.scopes.join(u' ')));
    }
    return app.exec();
}
