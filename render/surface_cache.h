#pragma once

// What the surface keeps from one frame to the next: the mesh's vertex
// attributes, the samples of large basins they are built from, and what they
// were built from, so that a frame rebuilds only what changed. GL-free.

#include <cstdint>
#include <vector>

#include "render/vertex_attributes.h"

// Everything the colours are formed from besides the fields' contents, which
// the basin's revision stands for (and matters only where the mode reads a
// field). Compared bit for bit: a NaN scale is a value like any other.
struct ColorKey {
    uint64_t revision;
    int64_t mode;
    double offsets[2];
    float minimum, scale;
};
static_assert(sizeof(ColorKey) == 40, "no padding bits in the comparison");

struct SurfaceCache {
    VertexAttributes attributes;
    // The mesh: every stride-th cell of the basin in each direction.
    int stride = 1;
    int width = 0, height = 0;
    std::vector<float> sampledHeights, sampledQuantity; // empty at stride 1
    std::vector<float> levelledHeights; // h with walls at the rest height, where there are walls
    const void* basin = nullptr; // the basin it was built for
    int basinWidth = 0, basinHeight = 0;
    bool geometryBuilt = false, colorsBuilt = false;
    uint64_t geometryRevision = 0;
    ColorKey colorKey{};
};
