#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kernel_targets.h"

// The surface's vertex attributes come either from the portable pass, the
// readable reference, or from the vector kernel on one of the targets Highway
// compiled it for. Every choice gives the same bits; tests and benchmarks pick
// one by name, from the solver's list (kernelTargets()). The choice is the
// drawing's own: the kernel is called through its dispatch table at the chosen
// target, so it leaves the solver's choice alone.

constexpr const char* PORTABLE_VERTEX_PATH = PORTABLE_PATH;

// The choices this processor offers, the default first.
const std::vector<std::string>& vertexPathNames();

// Selects a choice by name; false, and nothing changed, if it is not offered here.
bool useVertexPath(const std::string& name);

void useDefaultVertexPath();

const std::string& activeVertexPathName();

// Highway's bit for the active target; 0 for the portable pass.
int64_t activeVertexTarget();
