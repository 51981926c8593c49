// CPU time as the benchmarks measure it: the calling thread's alone, or the
// whole process's (every thread the sound system and the window keep).
#pragma once

#include <time.h>

namespace benchsupport {

inline double CpuSeconds(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

inline double ThreadCpuSeconds()
{
    return CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}
inline double ProcessCpuSeconds()
{
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

} // namespace benchsupport
