#include "sim/solver_path.h"

#include <hwy/targets.h>

#include <algorithm>
#include <cstdint>

namespace {

struct Choice {
    std::string name;
    int64_t target = 0; // 0 for the portable loops
};

// Taken once, before any choice narrows what Highway reports as supported.
const std::vector<Choice>& choices()
{
    static const std::vector<Choice> all = [] {
        std::vector<Choice> list;
        for (int64_t target : hwy::SupportedAndGeneratedTargets())
            list.push_back({hwy::TargetName(target), target});
        // Highway's one-lane SCALAR target is slower than the portable loops; where
        // it is the best on offer (s390x), the portable loops are the default.
        const bool scalarBest = list.empty() || list.front().target == HWY_SCALAR;
        list.insert(scalarBest ? list.begin() : list.end(), {PORTABLE_SOLVER, 0});
        return list;
    }();
    return all;
}

// The kernel's best target, which dispatch picks unrestricted.
int64_t bestTarget()
{
    for (const Choice& c : choices())
        if (c.target != 0)
            return c.target;
    return 0;
}

const Choice*& active()
{
    static const Choice* current = &choices().front();
    return current;
}

// Dispatch then picks the best of the given targets; 0 lifts the restriction.
void restrictDispatch(int64_t targets)
{
    hwy::SetSupportedTargetsForTest(targets);
    hwy::GetChosenTarget().Update(hwy::SupportedTargets());
}

} // namespace

const std::vector<std::string>& solverNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Choice& c : choices())
            list.push_back(c.name);
        return list;
    }();
    return names;
}

bool useSolver(const std::string& name)
{
    const auto& all = choices();
    const auto found = std::find_if(all.begin(), all.end(), [&](const Choice& c) { return c.name == name; });
    if (found == all.end())
        return false;
    // Only a kernel target below the best narrows the dispatch; other choices lift it.
    restrictDispatch(found->target == bestTarget() ? 0 : found->target);
    active() = &*found;
    return true;
}

void useDefaultSolver() { useSolver(choices().front().name); }

const std::string& activeSolverName() { return active()->name; }

bool portableSolverActive() { return active()->target == 0; }
