#include "parley-dev/Commands.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/RoomState.h"
#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/TwitchChatSystemMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace parley::dev {

namespace {

template <typename T, typename ToJson>
QJsonValue orNull(const std::optional<T>& value, ToJson toJson)
{
    return value ? QJsonValue(toJson(*value)) : QJsonValue(QJsonValue::Null);
}

QJsonObject replyJson(const TwitchChatMessageReply& reply)
{
    return {
        { u"parentMessageID"_qs, reply.parentMessageID },
        { u"parentMessageUserID"_qs, reply.parentMessageUserID },
        { u"parentMessageLogin"_qs, reply.parentMessageLogin },
        { u"parentMessageDisplayName"_qs, orNull(reply.parentMessageDisplayName, [](const QString& s) { return s; }) },
        { u"parentMessageBody"_qs, reply.parentMessageBody },
    };
}

QJsonObject textJson(const TwitchChatTextMessage& text)
{
    QJsonObject badges;
    text.badges().forEach([&](TwitchBadge badge, qint64 number) { badges[rawValue(badge).toString()] = number; });
    QJsonArray emotes;
    for (const TwitchEmoteMark& mark : text.emotes())
        emotes.append(
            QJsonObject { { u"emoteID"_qs, mark.emoteID }, { u"begin"_qs, mark.begin }, { u"end"_qs, mark.end } });
    // Microseconds divided once: exact for every instant before the 23rd century.
    const double sentAtMs = double(text.sentAt().time_since_epoch().count()) / 1000.0;
    return {
        { u"body"_qs, text.body() },
        { u"badges"_qs, badges },
        { u"emotes"_qs, emotes },
        { u"emoteSets"_qs, QJsonArray::fromStringList(text.emoteSets()) },
        { u"color"_qs, orNull(text.color(), [](const TwitchColor& color) { return color.rawValue(); }) },
        { u"id"_qs, text.id() },
        { u"isModerator"_qs, text.isModerator() },
        { u"isSubscriber"_qs, text.isSubscriber() },
        { u"isBroadcaster"_qs, text.isBroadcaster() },
        { u"displayName"_qs, text.displayName() },
        { u"userType"_qs, rawValue(text.userType()).toString() },
        { u"turbo"_qs, text.turbo() },
        { u"reply"_qs, orNull(text.reply(), replyJson) },
        { u"sentAtMs"_qs, sentAtMs },
        { u"isAction"_qs, text.isAction() },
    };
}

// Microseconds divided once: exact for every instant before the 23rd century.
QJsonValue instantJson(const std::optional<Instant>& instant)
{
    return orNull(instant, [](Instant at) { return double(at.time_since_epoch().count()) / 1000.0; });
}

QString kindName(TwitchChatSystemMessage::Kind kind)
{
    switch (kind) {
    case TwitchChatSystemMessage::Kind::userNotice:
        return u"userNotice"_qs;
    case TwitchChatSystemMessage::Kind::announcement:
        return u"announcement"_qs;
    case TwitchChatSystemMessage::Kind::timeout:
        return u"timeout"_qs;
    case TwitchChatSystemMessage::Kind::ban:
        return u"ban"_qs;
    case TwitchChatSystemMessage::Kind::chatCleared:
        return u"chatCleared"_qs;
    case TwitchChatSystemMessage::Kind::notice:
        break;
    }
    return u"notice"_qs;
}

QString kindName(TwitchChatClear::Kind kind)
{
    switch (kind) {
    case TwitchChatClear::Kind::message:
        return u"message"_qs;
    case TwitchChatClear::Kind::user:
        return u"user"_qs;
    case TwitchChatClear::Kind::chat:
        break;
    }
    return u"chat"_qs;
}

QJsonObject systemJson(const TwitchChatSystemMessage& system)
{
    return {
        { u"kind"_qs, kindName(system.kind) },
        { u"text"_qs, system.text },
        { u"id"_qs, system.id },
        { u"noticeID"_qs, system.noticeID },
        { u"userMessage"_qs, orNull(system.userMessage, textJson) },
        { u"sentAtMs"_qs, instantJson(system.sentAt) },
    };
}

QJsonObject clearJson(const TwitchChatClear& clear)
{
    return {
        { u"kind"_qs, kindName(clear.kind) },
        { u"targetMessageID"_qs, clear.targetMessageID },
        { u"targetUserID"_qs, clear.targetUserID },
        { u"login"_qs, clear.login },
        { u"banDuration"_qs, orNull(clear.banDuration, [](qint64 seconds) { return double(seconds); }) },
        { u"sentAtMs"_qs, instantJson(clear.sentAt) },
    };
}

// A CLEARCHAT's own line is the system line it shows.
std::optional<TwitchChatSystemMessage> systemLine(const TwitchChatIRCMessage& message)
{
    if (auto system = TwitchChatSystemMessage::fromLine(message))
        return system;
    if (const auto clear = TwitchChatClear::fromLine(message))
        return clear->systemMessage();
    return std::nullopt;
}

QJsonObject roomJson(const RoomState& room)
{
    return {
        { u"id"_qs, room.id },
        { u"isFollowersOnly"_qs, room.isFollowersOnly },
        { u"isEmoteOnly"_qs, room.isEmoteOnly },
        { u"isSlow"_qs, room.isSlow },
        { u"isSubscribersOnly"_qs, room.isSubscribersOnly },
    };
}

QJsonObject lineJson(const QString& line)
{
    QJsonObject result { { u"line"_qs, line } };
    DiagnosticsCapture capture;
    const auto message = TwitchChatIRCMessage::tryParse(line);
    if (message) {
        QJsonObject tags;
        message->tags().forEach([&](TwitchChatIRCMessage::Tag tag, QStringView value) {
            tags[rawValue(tag).toString()] = value.toString();
        });
        result[u"tags"_qs] = tags;
        result[u"source"_qs] = QJsonObject { { u"nick"_qs, message->source().nick.toString() },
            { u"host"_qs, message->source().host.toString() } };
        result[u"command"_qs] = rawValue(message->command()).toString();
        result[u"parameters"_qs] = message->parameters().toString();
        result[u"text"_qs] = orNull(TwitchChatTextMessage::fromLine(*message), textJson);
        result[u"room"_qs] = orNull(RoomState::fromLine(*message), roomJson);
        result[u"clear"_qs] = orNull(TwitchChatClear::fromLine(*message), clearJson);
        result[u"system"_qs] = orNull(systemLine(*message), systemJson);
    } else {
        result[u"error"_qs] = u"invalidMessage"_qs;
    }
    result[u"log"_qs] = QJsonArray::fromStringList(capture.lines());
    return result;
}

} // namespace

int runIrc(const QStringList& arguments)
{
    if (!arguments.isEmpty()) {
        std::fputs("usage: parley-dev irc < frame (takes no arguments)\n", stderr);
        return 2;
    }
    QFile input;
    QFile output;
    if (!input.open(stdin, QIODevice::ReadOnly) || !output.open(stdout, QIODevice::WriteOnly)) {
        std::fputs("parley-dev irc: cannot open standard input or output\n", stderr);
        return 1;
    }
    // The client splits a frame at CR LF only; bare CR or LF stay in the line.
    const QString frame = QString::fromUtf8(input.readAll());
    for (const QString& line : frame.split(u"\r\n"_qs, Qt::SkipEmptyParts))
        output.write(QJsonDocument(lineJson(line)).toJson(QJsonDocument::Compact) + '\n');
    return 0;
}

} // namespace parley::dev
