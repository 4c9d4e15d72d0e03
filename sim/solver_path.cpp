#include "sim/solver_path.h"

#include <hwy/targets.h>

#include "sim/kernel_targets.h"

namespace {

// The kernel's best target, which dispatch picks unrestricted.
int64_t bestTarget()
{
    for (const KernelTarget& k : kernelTargets())
        if (k.target != 0)
            return k.target;
    return 0;
}

const KernelTarget*& active()
{
    static const KernelTarget* current = &kernelTargets().front();
    return current;
}

// Dispatch then picks the best of the given targets; 0 lifts the restriction.
void restrictDispatch(int64_t targets)
{
    hwy::SetSupportedTargetsForTest(targets);
    hwy::GetChosenTarget().Update(hwy::SupportedTargets());
}

} // namespace

const std::vector<std::string>& solverNames() { return kernelTargetNames(); }

bool useSolver(const std::string& name)
{
    const KernelTarget* found = findKernelTarget(name);
    if (found == nullptr)
        return false;
    // Only a kernel target below the best narrows the dispatch; other choices lift it.
    restrictDispatch(found->target == bestTarget() ? 0 : found->target);
    active() = found;
    return true;
}

void useDefaultSolver() { useSolver(kernelTargets().front().name); }

const std::string& activeSolverName() { return active()->name; }

bool portableSolverActive() { return active()->target == 0; }
