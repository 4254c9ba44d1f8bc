#include "parley-dev/Commands.h"

#include "app/session/SessionController.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/SessionViewController.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/SimChatService.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace parley::dev {
namespace {

using namespace parley::sim;
using namespace std::chrono_literals;

QString line(const QString& tags, const QString& login, const QString& text)
{
    return QStringLiteral("@%1;room-id=%2;tmi-sent-ts=%3;turbo=0;user-id=7 :%4!%4@%4.tmi.twitch.tv PRIVMSG #%5 :%6")
        .arg(tags, QString::fromLatin1(demo::userID), QString::number(QDateTime::currentMSecsSinceEpoch()), login,
            QString::fromLatin1(demo::login), text);
}

// A line of the service itself (USERNOTICE, CLEARMSG, NOTICE) to the demo channel.
QString serviceLine(const QString& tags, const QString& command, const QString& text)
{
    return QStringLiteral("@%1;room-id=%2;tmi-sent-ts=%3 :tmi.twitch.tv %4 #%5 :%6")
        .arg(tags, QString::fromLatin1(demo::userID), QString::number(QDateTime::currentMSecsSinceEpoch()), command,
            QString::fromLatin1(demo::login), text);
}

// Chat that shows every kind of row: the broadcaster, colours, a moderator,
// a reply, an action, emotes, a long message that must wrap, hostile text, a
// deleted message, a subscription, an announcement and a notice.
QStringList scriptedLines()
{
    return {
        line("badges=broadcaster/1;color=#9146FF;display-name=parley_demo;emotes=;id=s1;mod=0;subscriber=0;user-type=",
            "parley_demo", "Welcome in! Stream starts in five minutes"),
        line("badges=moderator/1,subscriber/"
             "12;color=#00A86B;display-name=ModMaria;emotes=1:13-14;id=s2;mod=1;subscriber=1;user-type=mod",
            "modmaria", "Be nice, all :)"),
        line("badges=;color=#FF4500;display-name=Ana_Plays;emotes=301000001:0-7,18-25;id=s3;mod=0;subscriber=0;user-"
             "type=",
            "ana_plays", "ParleyHi everyone ParleyHi"),
        line("badges=subscriber/3;color=;display-name=quietviewer;emotes=;id=s4;mod=0;subscriber=1;user-type=",
            "quietviewer", QString(QChar(1)) + "ACTION waves from the back row" + QChar(1)),
        line("badges=;color=#1E90FF;display-name=Zed;emotes=;id=s5;mod=0;subscriber=0;user-type=;"
             "reply-parent-display-name=ModMaria;reply-parent-message-body=Be\\snice,\\sall\\s:);"
             "reply-parent-message-id=s2;reply-parent-user-id=8;reply-parent-user-login=modmaria",
            "zed", "@ModMaria always!"),
        line("badges=;color=#DAA520;display-name=LongWinded;emotes=;id=s6;mod=0;subscriber=0;user-type=", "longwinded",
            "This is a long message that goes on and on to show how the row wraps its text across "
            "several lines instead of widening the window: " +
                QString(120, u'a')),
        line("badges=;color=#C71585;display-name=h4x0r;emotes=;id=s7;mod=0;subscriber=0;user-type=", "h4x0r",
            "<b>x</b> &amp; <img src=x>  javascript:alert(1)"),
        line("badges=;color=#808000;display-name=Rude;emotes=;id=s8;mod=0;subscriber=0;user-type=", "rude",
            "something rude"),
        serviceLine("login=rude;target-msg-id=s8", "CLEARMSG", "something rude"),
        serviceLine("badges=subscriber/0;color=#2E8B57;display-name=NewFan;emotes=;id=s9;login=newfan;msg-id=sub;"
                    "system-msg=NewFan\\ssubscribed\\sat\\sTier\\s1.;user-id=11;user-type=",
            "USERNOTICE", "Happy to be here"),
        serviceLine("badges=broadcaster/1;color=#9146FF;display-name=parley_demo;emotes=;id=s10;login=parley_demo;"
                    "msg-id=announcement;system-msg=;user-id=1;user-type=",
            "USERNOTICE", "Giveaway at the top of the hour!"),
        serviceLine(
            "msg-id=slow_on", "NOTICE", "This room is now in slow mode. You may send messages every 10 seconds."),
    };
}

} // namespace

int runWindow(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOptions({
        { "shot", "Save a picture of the window to FILE and quit.", "FILE" },
        { "seconds", "Seconds of chat before the picture (default 3).", "N", "3" },
        { "rate", "Generated chat messages per second (default 2).", "R", "2" },
        { "no-timestamps", "Hide the times." },
        { "spacing", "Row spacing in points (default 8).", "P", "8" },
        { "disconnect", "End the connection (the next try waits 8 s), then try to send a message." },
        { "draft", "Text to put into the message field.", "TEXT" },
        { "size", "Window size (default 380x560).", "WxH", "380x560" },
    });
    parser.process(QStringList { QStringLiteral("parley-dev window") } + arguments);

    TwitchSimulator simulator(SimModel::demoContent());
    if (!simulator.start()) {
        std::fputs("parley-dev window: the simulator could not listen\n", stderr);
        return 1;
    }
    TwitchEndpoints endpoints;
    endpoints.identityURL = simulator.identityURL();
    endpoints.helixURL = simulator.helixURL();
    endpoints.chatURL = simulator.chatURL();
    const TwitchAPI twitch(
        endpoints, QString::fromLatin1(demo::clientID), QUrl(QStringLiteral("http://localhost:17563")));
    TwitchUserAccessToken token;
    token.token = QString::fromLatin1(demo::token);
    token.info.clientID = QString::fromLatin1(demo::clientID);
    token.info.login = QString::fromLatin1(demo::login);
    token.info.userID = QString::fromLatin1(demo::userID);

    const auto images = ImagePipeline::create();
    SessionController session(twitch, token, nullptr, *images);
    ThemeOptions options = defaultThemeOptions();
    options.showMessageTimestamp = !parser.isSet("no-timestamps");
    options.spacing = ThemeSpacing::custom(parser.value("spacing").toDouble());
    ThemeModifier theme;
    theme.setTheme(makeTheme(options));
    SessionViewController view(session, theme);
    const QStringList size = parser.value("size").split(u'x');
    view.resize(size.value(0).toInt(), size.value(1).toInt());
    view.setWindowTitle(QString::fromLatin1(demo::login));
    view.show();
    view.viewModel().setNewMessage(parser.value("draft"));

    QObject::connect(&simulator.chat(), &SimChatService::clientJoined, &view, [&] {
        simulator.chat().sendText(scriptedLines().join(QStringLiteral("\r\n")));
        simulator.chat().startTraffic(parser.value("rate").toDouble());
    });
    const std::chrono::seconds shown(parser.value("seconds").toInt());
    if (parser.isSet("disconnect")) {
        // A wait long enough for the picture to show the reconnect line.
        TwitchChatTiming timing;
        timing.firstRetry = std::chrono::seconds(8);
        session.chat()->setTiming(timing);
        QTimer::singleShot(std::max(shown - 1s, 0s) + 500ms, &view, [&] {
            simulator.chat().stopTraffic();
            simulator.chat().dropConnections();
            QTimer::singleShot(300ms, &view, [&] {
                view.viewModel().setNewMessage(QStringLiteral("anyone still here?"));
                view.viewModel().send();
            });
        });
    }
    if (parser.isSet("shot")) {
        QTimer::singleShot(shown + 500ms, &view, [&] {
            const bool saved = view.grab().save(parser.value("shot"));
            std::fprintf(stderr, saved ? "saved %s\n" : "could not save %s\n", qPrintable(parser.value("shot")));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}

} // namespace parley::dev
