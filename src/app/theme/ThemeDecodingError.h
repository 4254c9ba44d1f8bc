#pragma once

#include "platform/Error.h"

namespace parley {

// Stored theme options that do not have the expected shape.
class ThemeDecodingError : public Error {
public:
    using Error::Error;
};

} // namespace parley
