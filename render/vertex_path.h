#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The surface's vertex attributes come either from the portable pass, the
// readable reference, or from the vector kernel on one of the targets Highway
// compiled it for. Every choice gives the same bits; tests and benchmarks pick
// one by name, as they pick the solver's.

constexpr const char* PORTABLE_VERTEX_PATH = "portable";

// The choices this processor offers: the kernel's targets as Highway names them,
// best first, and "portable". The default comes first: the best target, or
// "portable" where the best Highway offers is its scalar emulation.
const std::vector<std::string>& vertexPathNames();

// Selects a choice by name; false, and nothing changed, if it is not offered here.
bool useVertexPath(const std::string& name);

void useDefaultVertexPath();

const std::string& activeVertexPathName();

// Highway's bit for the active target; 0 for the portable pass.
int64_t activeVertexTarget();
