#pragma once

#include "images/model/ImageRequest.h"

namespace parley {

// The priority of a stage task, one-to-one with ImageRequest::Priority.
enum class StagePriority { veryLow, low, normal, high, veryHigh };

inline StagePriority stagePriority(ImageRequest::Priority priority)
{
    return StagePriority(int(priority));
}

// The operation-queue priority of a task priority: -8, -4, 0, 4, 8.
inline int queuePriority(StagePriority priority)
{
    return 4 * int(priority) - 8;
}

} // namespace parley
