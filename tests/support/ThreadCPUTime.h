#pragma once

#include <ctime>

namespace parley::test {

// CPU time the calling thread has used, in seconds: what a benchmark of
// main-thread work charges, unlike wall time it does not count waiting.
inline double threadCPUSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace parley::test
