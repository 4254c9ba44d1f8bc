#pragma once

#include "platform/Error.h"
#include "platform/PresentableError.h"
#include "platform/RawValue.h"

#include <QByteArray>

#include <array>
#include <exception>
#include <utility>

namespace parley {

// Why a moderation action did not happen, in words the broadcaster can act
// on. The description is the case name, followed by Twitch's own message
// when it sent one.
class TwitchModerationError : public Error, public PresentableError {
public:
    enum class Code {
        missingScope, // the token lacks the moderation scopes
        ownUser, // the broadcaster's own messages are never moderated
        alreadyBanned,
        notBanned,
        moderatorMessage, // a moderator's or the broadcaster's message
        cannotBeBanned, // Twitch protects this user (a moderator, staff)
        badRequest, // any other 400
        signInAgain, // 401
        forbidden, // 403
        messageGone, // 404: older than 6 hours, or already deleted
        banConflict, // 409: another moderator is changing the same ban
        tooManyRequests, // 429
    };
    // What was asked for; Twitch's 400 texts differ between them.
    enum class Action { deleteMessage, ban, unban };

    explicit TwitchModerationError(Code code, const QString& twitchMessage = {});

    // The error for a Helix answer other than success; nullptr when the
    // status is not one moderation knows (the caller's generic error then).
    static std::exception_ptr fromReply(Action action, int status, const QByteArray& body);

    Code code() const noexcept { return code_; }
    QString userMessage() const override;

private:
    Code code_;
};

template <>
struct RawValues<TwitchModerationError::Code> {
    using Code = TwitchModerationError::Code;
    static constexpr std::array<std::pair<Code, QStringView>, 12> table { {
        { Code::missingScope, u"missingScope" },
        { Code::ownUser, u"ownUser" },
        { Code::alreadyBanned, u"alreadyBanned" },
        { Code::notBanned, u"notBanned" },
        { Code::moderatorMessage, u"moderatorMessage" },
        { Code::cannotBeBanned, u"cannotBeBanned" },
        { Code::badRequest, u"badRequest" },
        { Code::signInAgain, u"signInAgain" },
        { Code::forbidden, u"forbidden" },
        { Code::messageGone, u"messageGone" },
        { Code::banConflict, u"banConflict" },
        { Code::tooManyRequests, u"tooManyRequests" },
    } };
};

} // namespace parley
