#include "sim/kernel_targets.h"

#include <hwy/targets.h>

const std::vector<KernelTarget>& kernelTargets()
{
    static const std::vector<KernelTarget> all = [] {
        std::vector<KernelTarget> list;
        for (int64_t target : hwy::SupportedAndGeneratedTargets())
            list.push_back({hwy::TargetName(target), target});
        const bool scalarBest = list.empty() || list.front().target == HWY_SCALAR;
        list.insert(scalarBest ? list.begin() : list.end(), {PORTABLE_PATH, 0});
        return list;
    }();
    return all;
}

const std::vector<std::string>& kernelTargetNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const KernelTarget& k : kernelTargets())
            list.push_back(k.name);
        return list;
    }();
    return names;
}

const KernelTarget* findKernelTarget(const std::string& name)
{
    for (const KernelTarget& k : kernelTargets())
        if (k.name == name)
            return &k;
    return nullptr;
}
