#include "sim/solver_path.h"

namespace {

#if defined(RIPPLEMOOR_PORTABLE_SOLVER) || !(defined(__x86_64__) || defined(__i386__))
bool detect(SolverPath path) { return path == SolverPath::Portable; }
#else
bool detect(SolverPath path)
{
    __builtin_cpu_init();
    switch (path) {
    case SolverPath::Avx2:
        return __builtin_cpu_supports("avx2");
    case SolverPath::Avx512:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
               __builtin_cpu_supports("avx512vl");
    default:
        return true;
    }
}
#endif

SolverPath& selectedPath()
{
    static SolverPath selected = fastestSolverPath();
    return selected;
}

} // namespace

bool solverPathAvailable(SolverPath path)
{
    static const bool available[3] = {true, detect(SolverPath::Avx2), detect(SolverPath::Avx512)};
    return available[int(path)];
}

SolverPath fastestSolverPath()
{
    if (solverPathAvailable(SolverPath::Avx512))
        return SolverPath::Avx512;
    if (solverPathAvailable(SolverPath::Avx2))
        return SolverPath::Avx2;
    return SolverPath::Portable;
}

SolverPath activeSolverPath() { return selectedPath(); }

void useSolverPath(SolverPath path)
{
    while (!solverPathAvailable(path))
        path = SolverPath(int(path) - 1);
    selectedPath() = path;
}

const char* solverPathName(SolverPath path)
{
    switch (path) {
    case SolverPath::Avx2:
        return "Avx2";
    case SolverPath::Avx512:
        return "Avx512";
    default:
        return "Portable";
    }
}
