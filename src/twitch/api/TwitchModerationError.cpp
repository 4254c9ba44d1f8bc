#include "twitch/api/TwitchModerationError.h"

#include "platform/JsonReader.h"

namespace parley {
namespace {

// Twitch's "message" field, or nothing when the body is not its error object.
QString twitchMessage(const QByteArray& body)
{
    try {
        const std::optional<JsonReader> message = JsonReader::parse(body).optional(QLatin1String("message"));
        return message ? message->toString() : QString();
    } catch (const Error&) {
        return {};
    }
}

// Twitch says which 400 it is only in its message text.
TwitchModerationError::Code badRequestCode(TwitchModerationError::Action action, const QString& message)
{
    using Code = TwitchModerationError::Code;
    using Action = TwitchModerationError::Action;
    const QString text = message.toLower();
    if (text.contains(u"already banned"))
        return Code::alreadyBanned;
    if (text.contains(u"not banned") || text.contains(u"not currently banned"))
        return Code::notBanned;
    if (action == Action::deleteMessage && (text.contains(u"moderator") || text.contains(u"broadcaster")))
        return Code::moderatorMessage;
    if (action == Action::ban && (text.contains(u"may not be banned") || text.contains(u"cannot be banned")))
        return Code::cannotBeBanned;
    return Code::badRequest;
}

} // namespace

TwitchModerationError::TwitchModerationError(Code code, const QString& twitchMessage)
    : Error(twitchMessage.isEmpty() ? rawValue(code).toString() : rawValue(code).toString() + QStringLiteral(": ") + twitchMessage)
    , code_(code)
{ }

std::exception_ptr TwitchModerationError::fromReply(Action action, int status, const QByteArray& body)
{
    const QString message = twitchMessage(body);
    const auto error = [&](Code code) { return std::make_exception_ptr(TwitchModerationError(code, message)); };
    switch (status) {
    case 400:
        return error(badRequestCode(action, message));
    case 401:
        return error(Code::signInAgain);
    case 403:
        return error(Code::forbidden);
    case 404:
        return error(Code::messageGone);
    case 409:
        return error(Code::banConflict);
    case 429:
        return error(Code::tooManyRequests);
    default:
        return nullptr;
    }
}

QString TwitchModerationError::userMessage() const
{
    switch (code_) {
    case Code::missingScope:
    case Code::signInAgain:
        return QStringLiteral("Sign in again to moderate.");
    case Code::ownUser:
        return QStringLiteral("Your own messages cannot be moderated.");
    case Code::alreadyBanned:
        return QStringLiteral("This user is already banned.");
    case Code::notBanned:
        return QStringLiteral("This user is not banned.");
    case Code::moderatorMessage:
        return QStringLiteral("Messages of moderators and of the broadcaster cannot be deleted.");
    case Code::cannotBeBanned:
        return QStringLiteral("Twitch does not let this user be banned or timed out.");
    case Code::badRequest:
        return QStringLiteral("Twitch refused this moderation action.");
    case Code::forbidden:
        return QStringLiteral("You are not allowed to moderate this chat.");
    case Code::messageGone:
        return QStringLiteral("The message is older than 6 hours or already gone.");
    case Code::banConflict:
        return QStringLiteral("Someone else is changing this user's ban. Try again in a moment.");
    case Code::tooManyRequests:
        return QStringLiteral("Too many moderation actions at once. Wait a moment and try again.");
    }
    return {};
}

} // namespace parley
