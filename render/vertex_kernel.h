#pragma once

struct ColorInputs;
struct MeshGrid;
struct VertexAttributes;

// The vertex pass's vector kernel, on the target chosen for every kernel
// (simd/targets.h). The mesh is at least as wide as the widest vector.
void buildSurfaceGeometryKernel(const MeshGrid& grid, VertexAttributes& out);
void buildSurfaceColorsKernel(const MeshGrid& grid, const ColorInputs& colors, VertexAttributes& out);
