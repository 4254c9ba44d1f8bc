#pragma once

#include "platform/Error.h"

namespace parley {

// A request that cannot be sent as asked, such as an id that would change or
// break the request URL. Nothing went over the network.
class InvalidRequestError : public Error {
public:
    using Error::Error;
};

} // namespace parley
