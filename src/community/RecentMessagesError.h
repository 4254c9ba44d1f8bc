#pragma once

#include "platform/Error.h"

namespace parley {

// The recent chat service could not give a channel's recent chat: it does
// not keep that channel's chat (refused), the channel name cannot go into a
// request, or the answer is unusable (another status, not the expected JSON,
// larger than the limit). The description says which, in the user's words.
class RecentMessagesError : public Error {
public:
    enum class Code { refused, invalidChannel, unexpectedStatus, invalidAnswer, answerTooLarge };

    RecentMessagesError(Code code, QString description, int status = 0)
        : Error(std::move(description)), code_(code), status_(status)
    { }

    Code code() const noexcept { return code_; }
    // The HTTP status of the answer, when there was one.
    int status() const noexcept { return status_; }

private:
    Code code_;
    int status_;
};

} // namespace parley
