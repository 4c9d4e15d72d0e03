#pragma once

// The water surface: lit triangle strips built from h, one strip between each
// pair of neighbouring rows from row 1 on (row 0 is never drawn). The
// per-vertex values are kept from one frame to the next and rebuilt only when
// what they are formed from changed. A basin wider or longer than
// MESH_SIDE_LIMIT cells is drawn from a mesh of every stride-th cell.

#include "render/surface_cache.h"
#include "render/vertex_attributes.h"

class Basin;

constexpr int FIRST_STRIP_ROW = 1;
constexpr double HEIGHT_SCALE = 100.0;
// Under Mesa's software renderer on two cores a frame costs about as much per
// vertex at any size: 256 x 256 vertices keep a 512 x 512 basin near 30 frames
// per second.
constexpr int MESH_SIDE_LIMIT = 256;

// Strip y joins rows y and y + 1; the last joins the last two rows.
inline int lastStripRow(const MeshGrid& g) { return g.height - 2; }

struct SurfaceNormal {
    double x, y, z;
};

// Drawn height of vertex (x, r): 100 * h, in double.
double scaledHeight(const MeshGrid& g, int x, int r);

// (-dX, 1, -dZ) scaled to unit length; dX and dZ are height steps over one cell.
SurfaceNormal normalFromSlopes(double dX, double dZ);

// Normal sent with the upper vertex (x, y + 1) of strip y, for x >= 1.
SurfaceNormal upperNormal(const MeshGrid& g, int x, int y);

// Normal sent with the lower vertex (x, y) of strip y, for x >= 1.
SurfaceNormal lowerNormal(const MeshGrid& g, int x, int y);

// Cells between neighbouring vertices of a basin's mesh: 1 up to
// MESH_SIDE_LIMIT cells along the longer side, then the least that keeps the
// mesh within it.
int meshStride(int width, int height);

// The vertex attributes of the basin's mesh with these red and blue offsets,
// rebuilt first where the cache's differ: heights and normals when the basin's
// revision moved, colours when the mode, the offsets, the mode's minimum or scale
// or (where the mode reads a field) the revision changed.
const VertexAttributes& surfaceAttributes(SurfaceCache& cache, const Basin& basin, const double offsets[2]);

// Sends the strips in immediate mode with per-vertex colours and normals from
// surfaceAttributes. A sampled mesh is drawn scaled by its stride along X and Z.
void drawSurface(const Basin& basin, const double offsets[2], SurfaceCache& cache);
