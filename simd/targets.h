#pragma once

// The one choice of vector target for every Highway kernel (the solver's and the
// surface's vertex pass): the targets Highway compiled and this processor
// offers, best first, and "portable", the plain loops every kernel is checked
// against. Every choice gives the same bits; the replay tool, the Python module,
// the tests and the benchmarks pick one by name. The kernels are called the
// usual way, HWY_DYNAMIC_DISPATCH, or on their portable loops where
// portableChosen(); choosing a target disables the better ones through Highway's
// DisableTargets, so dispatch lands on it. The choice is process-wide.

#include <cstdint>
#include <string>
#include <vector>

namespace simd {

constexpr const char* PORTABLE = "portable";

struct Target {
    std::string name;
    int64_t bits = 0; // Highway's bit; 0 for the portable loops
};

// The default first: the best target, then the narrower ones, then "portable";
// "portable" leads instead where the best target is Highway's one-lane SCALAR,
// which is slower than the plain loops (s390x). Taken once, before any choice.
const std::vector<Target>& targets();
const std::vector<std::string>& targetNames();

// Selects a target by name; false, and nothing changed, if it is not offered here.
bool useTarget(const std::string& name);
void useDefaultTarget();

const std::string& chosenTargetName();
bool portableChosen();

// "NAME, NAME, ..." of targetNames(), for messages.
std::string targetList(const char* separator = ", ");

} // namespace simd
