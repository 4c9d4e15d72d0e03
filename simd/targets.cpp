#include "simd/targets.h"

#include <atomic>

#include <hwy/targets.h>

namespace simd {
namespace {

std::atomic<const Target*>& chosen()
{
    static std::atomic<const Target*> current{&targets().front()};
    return current;
}

} // namespace

const std::vector<Target>& targets()
{
    static const std::vector<Target> all = [] {
        std::vector<Target> list;
#ifdef RIPPLEMOOR_SINGLE_TARGET
        // One target compiled in and dispatched statically (the WebAssembly
        // build): nothing to ask Highway's run-time library.
        list.push_back({hwy::TargetName(HWY_STATIC_TARGET), HWY_STATIC_TARGET});
#else
        for (int64_t target : hwy::SupportedAndGeneratedTargets())
            list.push_back({hwy::TargetName(target), target});
#endif
#ifdef RIPPLEMOOR_SINGLE_TARGET
        // In WebAssembly the plain loops beat EMU128's emulated lanes (measured,
        // docs/web.md).
        const bool scalarBest = true;
#else
        const bool scalarBest = list.empty() || list.front().bits == HWY_SCALAR;
#endif
        list.insert(scalarBest ? list.begin() : list.end(), {PORTABLE, 0});
        return list;
    }();
    return all;
}

const std::vector<std::string>& targetNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Target& t : targets())
            list.push_back(t.name);
        return list;
    }();
    return names;
}

bool useTarget(const std::string& name)
{
    for (const Target& t : targets()) {
        if (t.name != name)
            continue;
#ifndef RIPPLEMOOR_SINGLE_TARGET
        // Highway ranks better targets at lower bits: disabling every bit below
        // this one's leaves it the best; the portable loops lift the restriction.
        hwy::DisableTargets(t.bits == 0 ? 0 : t.bits - 1);
#endif
        chosen() = &t;
        return true;
    }
    return false;
}

void useDefaultTarget() { useTarget(targets().front().name); }

const std::string& chosenTargetName() { return chosen().load()->name; }

bool portableChosen() { return chosen().load()->bits == 0; }

std::string targetList(const char* separator)
{
    std::string list;
    for (const std::string& name : targetNames())
        list += (list.empty() ? "" : separator) + name;
    return list;
}

} // namespace simd
