#include "twitch/api/TwitchError.h"

namespace parley {

TwitchError::TwitchError(Code code) : Error(rawValue(code).toString()), code_(code) { }

QString TwitchError::userMessage() const
{
    switch (code_) {
    case Code::invalidResponse:
    case Code::needsAppAccessToken:
        return QStringLiteral("An unexpected error happened while communicating with Twitch server.");
    case Code::invalidAccessToken:
        return QStringLiteral("Your session has been expired. Please login to your account.");
    }
    return {};
}

} // namespace parley
