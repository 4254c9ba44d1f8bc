#pragma once

#include <chrono>

namespace parley {

// A point in time, exact to the microsecond (the finest precision the chat
// service's send times carry).
using Instant = std::chrono::sys_time<std::chrono::microseconds>;

} // namespace parley
