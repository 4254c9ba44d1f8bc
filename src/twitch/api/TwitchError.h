#pragma once

#include "platform/Error.h"
#include "platform/PresentableError.h"
#include "platform/RawValue.h"

#include <QHashFunctions>

#include <array>
#include <utility>

namespace parley {

// A Twitch service answered with a status the operation cannot use. The
// description is the case name.
class TwitchError : public Error, public PresentableError {
public:
    enum class Code { invalidResponse, needsAppAccessToken, invalidAccessToken };

    explicit TwitchError(Code code);

    Code code() const noexcept { return code_; }
    QString userMessage() const override;

    friend bool operator==(const TwitchError& a, const TwitchError& b) { return a.code_ == b.code_; }

private:
    Code code_;
};

inline size_t qHash(const TwitchError& error, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(error.code()), seed);
}

template <>
struct RawValues<TwitchError::Code> {
    static constexpr std::array<std::pair<TwitchError::Code, QStringView>, 3> table { {
        { TwitchError::Code::invalidResponse, u"invalidResponse" },
        { TwitchError::Code::needsAppAccessToken, u"needsAppAccessToken" },
        { TwitchError::Code::invalidAccessToken, u"invalidAccessToken" },
    } };
};

} // namespace parley
