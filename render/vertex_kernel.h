#pragma once

#include <cstdint>

struct ColorInputs;
struct VertexAttributes;

// The vector kernel on one Highway target (one bit of Highway's target mask, as
// hwy::SupportedAndGeneratedTargets lists them). The target is passed in rather
// than taken from Highway's global choice, so choosing the drawing's target
// leaves the solver's alone.
void buildSurfaceGeometryKernel(int64_t target, const float* h, VertexAttributes& out);
void buildSurfaceColorsKernel(int64_t target, const ColorInputs& colors, VertexAttributes& out);
