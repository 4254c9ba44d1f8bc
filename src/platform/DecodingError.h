#pragma once

#include "platform/Error.h"

namespace parley {

// Wire data that does not have the expected shape: malformed JSON, a missing
// key, a value of the wrong type or an unknown enumeration value.
class DecodingError : public Error {
public:
    using Error::Error;
};

} // namespace parley
