#pragma once

#include "platform/Error.h"

namespace parley {

// A community emote service answered with something unusable: a status
// other than 200 or 404, a body that is not the expected JSON, one larger
// than the limit, or a room id that cannot go into a request.
class CommunityEmoteError : public Error {
public:
    enum class Code { unexpectedStatus, invalidAnswer, answerTooLarge, invalidRoomID };

    CommunityEmoteError(Code code, QString description, int status = 0)
        : Error(std::move(description)), code_(code), status_(status)
    { }

    Code code() const noexcept { return code_; }
    // The HTTP status of an unexpectedStatus error, else 0.
    int status() const noexcept { return status_; }

private:
    Code code_;
    int status_;
};

} // namespace parley
