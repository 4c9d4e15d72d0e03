#pragma once

#include <cstddef>
#include <vector>

class Basin;

// What the surface strips send for each vertex, worked out for the whole mesh in
// one pass before the strips are sent: ten arrays of one float per vertex,
// element x + width * r of each belonging to vertex (x, r). The values are
// exactly the floats the GL receives.
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

// The heights the mesh is built from: a basin's h, or samples of it.
struct MeshGrid {
    const float* h;
    int width;
    int height;
};

// What the colours are formed from: the current mode's field over the mesh (null
// for the plain colour), its minimum and scale, and the red and blue offsets.
struct ColorInputs {
    const float* quantity;
    float minimum;
    float scale;
    double redOffset;
    double blueOffset;
};

// The mesh of a basin drawn at full resolution.
MeshGrid gridOf(const Basin& basin);

// The colour inputs of a basin's mode with the view's red and blue offsets.
ColorInputs colorInputs(const Basin& basin, const double offsets[2]);

// Sized once per mesh size; the only allocations the surface makes.
void sizeVertexAttributes(VertexAttributes& a, size_t vertices);

// The reference passes: the per-vertex functions of surface and vertex_color, one
// vertex at a time. Heights and colours for rows 1 to height - 1; normals for
// columns 1 to width - 1 where their strip exists.
void buildSurfaceGeometryPortable(const MeshGrid& grid, VertexAttributes& a);
void buildSurfaceColorsPortable(const MeshGrid& grid, const ColorInputs& colors, VertexAttributes& a);

// The passes the vector target in force (simd/targets.h) names: the portable ones or the
// vector kernel on one target. Same bits either way. The geometry (heights and
// normals) depends on h alone; the colours on the mode, its field and range and
// the offsets.
void buildSurfaceGeometry(const MeshGrid& grid, VertexAttributes& a);
void buildSurfaceColors(const MeshGrid& grid, const ColorInputs& colors, VertexAttributes& a);
