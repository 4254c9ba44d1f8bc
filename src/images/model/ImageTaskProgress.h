#pragma once

#include <QtGlobal>

namespace parley {

// How far a load has come: bytes received and expected (0 when unknown).
struct ImageTaskProgress {
    qint64 completed = 0;
    qint64 total = 0;
    friend bool operator==(const ImageTaskProgress&, const ImageTaskProgress&) = default;
};

} // namespace parley
