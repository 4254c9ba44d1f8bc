#pragma once

#include <QtGlobal>

#include <chrono>

namespace parley {

// What one request to a third-party service may take: it times out without
// its headers after `response` (Qt 6.4 reads a 401 or 407 body whole before
// it shows them, with no progress to see), after `inactivity` without
// progress or after `total` altogether, and stops reading past
// `maximumAnswerSize`.
struct ThirdPartyLimits {
    std::chrono::milliseconds response = std::chrono::seconds(10);
    std::chrono::milliseconds inactivity = std::chrono::seconds(30);
    std::chrono::milliseconds total = std::chrono::seconds(60);
    qint64 maximumAnswerSize = 4 * 1024 * 1024;
    qint64 readBufferSize = 256 * 1024;
};

} // namespace parley
