#pragma once

#include "platform/Error.h"

namespace parley {

// The bundle's Info.json is missing, unreadable or lacks a usable key. Fatal:
// the program cannot start without its configuration.
class BundleConfigError : public Error {
public:
    using Error::Error;
};

} // namespace parley
