// The surface's vertex attributes in vector passes over the grid: heights and
// normals in one, colours in the other, written once with Highway and compiled for every
// instruction set it targets.
//
// Each lane does what the per-vertex functions do for its cell, in the same
// order, in double where they compute in double and rounding to float where they
// round; only the order in which cells are visited differs, and no cell depends
// on another's result. Non-finite colour parameters (a mode switched to while
// paused) take the same branches as there: every comparison with NaN is false.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "render/vertex_kernel.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

#include "sim/float_rounding-inl.h"

#include <algorithm>

#include "render/surface.h"
#include "render/vertex_attributes.h"
#include "render/vertex_color.h"
#include "render/vertex_kernel.h"

HWY_BEFORE_NAMESPACE();
namespace ripplemoor_vertex {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Doubles for the arithmetic, and floats with as many lanes for loads and stores.
using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using VD = hn::Vec<DD>;
using VF = hn::Vec<DF>;

HWY_INLINE VD wide(VF f) { return hn::PromoteTo(DD(), f); }
HWY_INLINE VD loadWide(const float* p) { return wide(hn::LoadU(DF(), p)); }
HWY_INLINE VD constant(double c) { return hn::Set(DD(), c); }

// Rounds to float the IEEE way (float_rounding-inl.h).
HWY_INLINE VF narrow(VD d) { return ripplemoor_rounding::HWY_NAMESPACE::narrowToFloat(DD(), d); }

// A double rounded to float and back: what storing it in a float variable does.
HWY_INLINE VD throughFloat(VD d) { return wide(narrow(d)); }

// hueChannel on lanes that hold floats.
HWY_INLINE VF hue(VD t)
{
    const VD one = constant(1.0);
    t = hn::IfThenElse(hn::Gt(t, one), throughFloat(hn::Sub(t, one)), t);
    t = hn::IfThenElse(hn::Lt(t, hn::Zero(DD())), throughFloat(hn::Add(t, one)), t);
    const VD rising = hn::Mul(constant(HUE_SLOPE), t);
    const VD falling = hn::Sub(one, hn::Mul(hn::Sub(t, constant(HUE_FALL_START)), constant(HUE_SLOPE)));
    const VD lower = hn::IfThenElse(hn::Lt(t, constant(HUE_RISE_END)), rising, one);
    const VD upper = hn::IfThenElse(hn::Lt(t, constant(HUE_FALL_END)), falling, hn::Zero(DD()));
    return narrow(hn::IfThenElse(hn::Lt(t, constant(HUE_FALL_START)), lower, upper));
}

// Heights of cells i, i + 1, ...
HWY_INLINE void heights(const float* h, size_t i, float* height)
{
    hn::StoreU(narrow(hn::Mul(constant(HEIGHT_SCALE), loadWide(h + i))), DF(), height + i);
}

// Colours of cells i, i + 1, ...
HWY_INLINE void colors(const ColorInputs& c, size_t i, float* red, float* green, float* blue)
{
    VD t = constant(double(PLAIN_COLOR_PARAMETER));
    if (c.quantity != nullptr)
        t = throughFloat(hn::Mul(hn::Sub(loadWide(c.quantity + i), constant(double(c.minimum))),
                                 constant(double(c.scale))));
    hn::StoreU(hue(throughFloat(hn::Add(t, constant(c.redOffset)))), DF(), red + i);
    hn::StoreU(hue(t), DF(), green + i);
    hn::StoreU(hue(throughFloat(hn::Add(t, constant(c.blueOffset)))), DF(), blue + i);
}

// normalFromSlopes, rounded to float, into element i of each component.
HWY_INLINE void storeNormal(VD dX, VD dZ, size_t i, NormalArrays& n)
{
    const VD len = hn::Sqrt(hn::Add(hn::Add(hn::Mul(dX, dX), constant(1.0)), hn::Mul(dZ, dZ)));
    const VD r = hn::Div(constant(1.0), len);
    hn::StoreU(narrow(hn::Mul(hn::Neg(dX), r)), DF(), n.x.data() + i);
    hn::StoreU(narrow(r), DF(), n.y.data() + i);
    hn::StoreU(narrow(hn::Mul(hn::Neg(dZ), r)), DF(), n.z.data() + i);
}

// The two normals of cells (x, r), x = i, i + 1, ...: as the upper vertex of strip
// r - 1 and as the lower vertex of strip r, each where that strip exists.
HWY_INLINE void normals(const float* h, size_t width, int r, int lastStrip, size_t i, VertexAttributes& a)
{
    const VD scale = constant(HEIGHT_SCALE);
    const size_t row = size_t(r) * width;
    const VD here = hn::Mul(scale, loadWide(h + row + i));
    const VD left = hn::Mul(scale, loadWide(h + row + i - 1));
    const VD dX = hn::Sub(here, left);
    if (r > FIRST_STRIP_ROW) {
        const VD belowLeft = hn::Mul(scale, loadWide(h + row - width + i - 1));
        storeNormal(dX, hn::Sub(left, belowLeft), row + i, a.upper);
    }
    if (r <= lastStrip) {
        const VD above = hn::Mul(scale, loadWide(h + row + width + i));
        storeNormal(dX, hn::Sub(above, here), row + i, a.lower);
    }
}

// Runs body(i) over columns from..width-1 a vector at a time. The last vector
// ends at the last column and may overlap the one before: those lanes are
// written twice with the same values.
template <class Body>
HWY_INLINE void forColumns(size_t from, size_t width, const Body& body)
{
    const size_t lanes = hn::Lanes(DD());
    for (size_t x = from; x < width; x += lanes)
        body(std::min(x, width - lanes));
}

void BuildSurfaceGeometry(const MeshGrid& g, VertexAttributes& a)
{
    float* height = a.height.data();
    const size_t width = size_t(g.width);
    const int lastStrip = lastStripRow(g);
    for (int r = FIRST_STRIP_ROW; r <= lastStrip + 1; ++r) {
        const size_t row = size_t(r) * width;
        forColumns(0, width, [&](size_t x) { heights(g.h, row + x, height); });
        forColumns(1, width, [&](size_t x) { normals(g.h, width, r, lastStrip, x, a); });
    }
}

void BuildSurfaceColors(const MeshGrid& g, const ColorInputs& c, VertexAttributes& a)
{
    float* red = a.red.data();
    float* green = a.green.data();
    float* blue = a.blue.data();
    const size_t width = size_t(g.width);
    for (int r = FIRST_STRIP_ROW; r <= lastStripRow(g) + 1; ++r) {
        const size_t row = size_t(r) * width;
        forColumns(0, width, [&](size_t x) { colors(c, row + x, red, green, blue); });
    }
}

} // namespace HWY_NAMESPACE
} // namespace ripplemoor_vertex
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ripplemoor_vertex {
HWY_EXPORT(BuildSurfaceGeometry);
HWY_EXPORT(BuildSurfaceColors);
} // namespace ripplemoor_vertex

void buildSurfaceGeometryKernel(const MeshGrid& grid, VertexAttributes& out)
{
    using namespace ripplemoor_vertex;
    HWY_DYNAMIC_DISPATCH(BuildSurfaceGeometry)(grid, out);
}

void buildSurfaceColorsKernel(const MeshGrid& grid, const ColorInputs& colors, VertexAttributes& out)
{
    using namespace ripplemoor_vertex;
    HWY_DYNAMIC_DISPATCH(BuildSurfaceColors)(grid, colors, out);
}
#endif
