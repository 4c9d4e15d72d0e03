#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The ways a Highway kernel can run on this processor: its targets as Highway
// names them, best first, and the portable loops it is checked against. The
// solver and the surface's vertex pass choose from the same list.

constexpr const char* PORTABLE_PATH = "portable";

struct KernelTarget {
    std::string name;
    int64_t target = 0; // Highway's bit; 0 for the portable loops
};

// The default first: the best target, then the narrower ones, then "portable";
// "portable" leads instead where the best target is Highway's one-lane SCALAR,
// which is slower than the plain loops (s390x). Taken on the first call, before
// any choice can narrow what Highway reports as supported.
const std::vector<KernelTarget>& kernelTargets();

// The names, in the same order.
const std::vector<std::string>& kernelTargetNames();

// The entry of that name, or null where it is not offered here.
const KernelTarget* findKernelTarget(const std::string& name);
