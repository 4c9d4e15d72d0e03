#pragma once

#include <string>
#include <vector>

#include "sim/kernel_targets.h"

// The solver stages run either on the portable loops, the readable reference, or
// on the vector kernel, which Highway compiles for several instruction sets and
// dispatches to the best one the processor has. Every choice gives the same bits;
// the replay tool, the tests and the benchmarks pick one by name.

constexpr const char* PORTABLE_SOLVER = PORTABLE_PATH;

// The choices this processor offers, the default first: the kernel's targets as
// Highway names them, best first, then "portable"; "portable" leads instead where
// the kernel's best target is Highway's SCALAR, which is slower.
const std::vector<std::string>& solverNames();

// Selects a choice by name; false, and nothing changed, if it is not offered here.
bool useSolver(const std::string& name);

// Back to the default.
void useDefaultSolver();

const std::string& activeSolverName();
bool portableSolverActive();
