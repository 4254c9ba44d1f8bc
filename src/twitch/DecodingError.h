#pragma once

// Moved to src/platform; this name stays only until its last includer, the
// application controller, follows.
#include "platform/DecodingError.h"
