#include "sim/threads.h"

#ifdef _OPENMP
#include <omp.h>
#endif

// Below about this many cells a step is too short for the threads' start and
// join at every stage to pay: measured, one step of 256 x 256 cells takes as
// long on two cores as on one, 512 x 512 gains 15 %, 1,024 x 1,024 75 %
// (docs/performance.md).
constexpr long long PARALLEL_FROM_CELLS = 512 * 512;

int availableThreads()
{
#ifdef _OPENMP
    return omp_get_num_procs();
#else
    return 1;
#endif
}

int defaultThreads(int width, int height)
{
    return (long long)width * height >= PARALLEL_FROM_CELLS ? availableThreads() : 1;
}
