#include "render/vertex_attributes.h"

#include <initializer_list>

#include "render/surface.h"
#include "render/vertex_color.h"
#include "render/vertex_kernel.h"
#include "sim/basin.h"
#include "simd/targets.h"

namespace {

void storeNormal(const SurfaceNormal& n, NormalArrays& out, size_t vertex)
{
    out.x[vertex] = float(n.x);
    out.y[vertex] = float(n.y);
    out.z[vertex] = float(n.z);
}

// The vector kernel works a whole vector of columns at a time; a mesh narrower
// than the widest vector takes the portable loops (same bits).
constexpr int KERNEL_MIN_WIDTH = 16;

} // namespace

MeshGrid gridOf(const Basin& basin) { return MeshGrid{basin.h.data(), basin.width(), basin.height()}; }

ColorInputs colorInputs(const Basin& basin, const double offsets[2])
{
    const ModeQuantity* q = quantityOfMode(basin.colorMode);
    if (q == nullptr)
        return ColorInputs{nullptr, 0.0f, 0.0f, offsets[0], offsets[1]};
    const Range& r = basin.ranges[basin.colorMode];
    return ColorInputs{(basin.*q->field).data(), r.min, r.scale, offsets[0], offsets[1]};
}

void sizeVertexAttributes(VertexAttributes& a, size_t vertices)
{
    for (CellArray* array : {&a.height, &a.red, &a.green, &a.blue, &a.upper.x, &a.upper.y, &a.upper.z, &a.lower.x,
                             &a.lower.y, &a.lower.z})
        array->resize(vertices);
}

void buildSurfaceGeometryPortable(const MeshGrid& g, VertexAttributes& a)
{
    const int lastStrip = lastStripRow(g);
    for (int x = 0; x < g.width; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= lastStrip + 1; ++r) {
            const size_t vertex = size_t(x) + size_t(r) * size_t(g.width);
            a.height[vertex] = float(scaledHeight(g, x, r));
            if (x == 0)
                continue; // the opening pair of a strip has no normal of its own
            if (r > FIRST_STRIP_ROW)
                storeNormal(upperNormal(g, x, r - 1), a.upper, vertex);
            if (r <= lastStrip)
                storeNormal(lowerNormal(g, x, r), a.lower, vertex);
        }
    }
}

void buildSurfaceColorsPortable(const MeshGrid& g, const ColorInputs& colors, VertexAttributes& a)
{
    const int lastStrip = lastStripRow(g);
    for (int x = 0; x < g.width; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= lastStrip + 1; ++r) {
            const size_t vertex = size_t(x) + size_t(r) * size_t(g.width);
            const VertexColor c = vertexColor(colors, vertex);
            a.red[vertex] = c.red;
            a.green[vertex] = c.green;
            a.blue[vertex] = c.blue;
        }
    }
}

void buildSurfaceGeometry(const MeshGrid& g, VertexAttributes& a)
{
    if (simd::portableChosen() || g.width < KERNEL_MIN_WIDTH)
        buildSurfaceGeometryPortable(g, a);
    else
        buildSurfaceGeometryKernel(g, a);
}

void buildSurfaceColors(const MeshGrid& g, const ColorInputs& colors, VertexAttributes& a)
{
    if (simd::portableChosen() || g.width < KERNEL_MIN_WIDTH)
        buildSurfaceColorsPortable(g, colors, a);
    else
        buildSurfaceColorsKernel(g, colors, a);
}
