#include "render/vertex_attributes.h"

#include <initializer_list>

#include "app/state.h"
#include "render/surface.h"
#include "render/vertex_color.h"
#include "render/vertex_kernel.h"
#include "simd/targets.h"

namespace {

void storeNormal(const SurfaceNormal& n, NormalArrays& out, unsigned cell)
{
    out.x[cell] = float(n.x);
    out.y[cell] = float(n.y);
    out.z[cell] = float(n.z);
}

} // namespace

ColorInputs currentColorInputs()
{
    const ModeQuantity* q = quantityOfMode(colorMode);
    if (q == nullptr)
        return ColorInputs{nullptr, 0.0f, 0.0f, colorOffsets[0], colorOffsets[1]};
    return ColorInputs{(basin.*q->field).data(), basin.*q->min, basin.*q->scale, colorOffsets[0], colorOffsets[1]};
}

void sizeVertexAttributes(VertexAttributes& a)
{
    for (CellArray* array : {&a.height, &a.red, &a.green, &a.blue, &a.upper.x, &a.upper.y, &a.upper.z, &a.lower.x,
                             &a.lower.y, &a.lower.z})
        array->resize(CELL_COUNT);
}

void buildSurfaceGeometryPortable(VertexAttributes& a)
{
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= LAST_STRIP_ROW + 1; ++r) {
            const unsigned cell = unsigned(cellIndex(x, r));
            a.height[cell] = float(scaledHeight(x, r));
            if (x == 0)
                continue; // the opening pair of a strip has no normal of its own
            if (r > FIRST_STRIP_ROW)
                storeNormal(upperNormal(x, r - 1), a.upper, cell);
            if (r <= LAST_STRIP_ROW)
                storeNormal(lowerNormal(x, r), a.lower, cell);
        }
    }
}

void buildSurfaceColorsPortable(VertexAttributes& a)
{
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= LAST_STRIP_ROW + 1; ++r) {
            const unsigned cell = unsigned(cellIndex(x, r));
            const VertexColor c = vertexColor(cell);
            a.red[cell] = c.red;
            a.green[cell] = c.green;
            a.blue[cell] = c.blue;
        }
    }
}

void buildSurfaceGeometry(VertexAttributes& a)
{
    if (simd::portableChosen())
        buildSurfaceGeometryPortable(a);
    else
        buildSurfaceGeometryKernel(h.data(), a);
}

void buildSurfaceColors(VertexAttributes& a)
{
    if (simd::portableChosen())
        buildSurfaceColorsPortable(a);
    else
        buildSurfaceColorsKernel(currentColorInputs(), a);
}
