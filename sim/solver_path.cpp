#include "sim/solver_path.h"

static bool detectAvx2()
{
#if defined(RIPPLEMOOR_PORTABLE_SOLVER) || !(defined(__x86_64__) || defined(__i386__))
    return false;
#else
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#endif
}

bool avx2SolverAvailable()
{
    static const bool available = detectAvx2();
    return available;
}

static bool& avx2Selected()
{
    static bool selected = avx2SolverAvailable();
    return selected;
}

bool avx2SolverActive() { return avx2Selected(); }

void useAvx2Solver(bool on) { avx2Selected() = on && avx2SolverAvailable(); }
