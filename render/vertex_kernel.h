#pragma once

struct ColorInputs;
struct VertexAttributes;

// The vertex pass's vector kernel, on the target chosen for every kernel
// (simd/targets.h).
void buildSurfaceGeometryKernel(const float* h, VertexAttributes& out);
void buildSurfaceColorsKernel(const ColorInputs& colors, VertexAttributes& out);
