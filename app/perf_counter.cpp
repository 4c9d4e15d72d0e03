#include "app/perf_counter.h"

#include <ctime>

int64_t queryPerformanceFrequency() { return 1000000000; }

int64_t queryPerformanceCounter()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
