#pragma once

#include <cstddef>
#include <vector>

// What the surface strips send for each vertex, worked out for the whole grid in
// one pass before the strips are sent: ten arrays of one float per cell, element
// x + 160 * r of each belonging to cell (x, r). The values are exactly the floats
// the GL receives.
using CellArray = std::vector<float>;

struct NormalArrays {
    CellArray x, y, z;
};

struct VertexAttributes {
    CellArray height; // Y of the vertex: 100 * h, rounded once
    CellArray red, green, blue;
    NormalArrays upper; // normal of the vertex as the upper vertex of strip r - 1
    NormalArrays lower; // and as the lower vertex of strip r
};

// What the colours are formed from: the current mode's field (null for the plain
// colour), its minimum and scale, and the red and blue offsets.
struct ColorInputs {
    const float* quantity;
    float minimum;
    float scale;
    double redOffset;
    double blueOffset;
};

// Read from colorMode, colorOffsets and the range variables.
ColorInputs currentColorInputs();

// Sized once; the only allocations the surface ever makes.
void sizeVertexAttributes(VertexAttributes& a);

// The reference passes: the per-vertex functions of surface and vertex_color, one
// cell at a time. Heights and colours for rows 1 to 159; normals for columns 1 to
// 159 where their strip exists.
void buildSurfaceGeometryPortable(VertexAttributes& a);
void buildSurfaceColorsPortable(VertexAttributes& a);

// The passes the vector target in force (simd/targets.h) names: the portable ones or the
// vector kernel on one target. Same bits either way. The geometry (heights and
// normals) depends on h alone; the colours on the mode, its field and range and
// the offsets.
void buildSurfaceGeometry(VertexAttributes& a);
void buildSurfaceColors(VertexAttributes& a);
