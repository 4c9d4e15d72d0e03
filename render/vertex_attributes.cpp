#include "render/vertex_attributes.h"

#include "app/state.h"
#include "render/surface.h"
#include "render/vertex_color.h"
#include "render/vertex_kernel.h"
#include "simd/targets.h"

float* VertexAttributes::operator[](VertexArray k) { return values.data() + size_t(k) * CELL_COUNT; }

const float* VertexAttributes::operator[](VertexArray k) const
{
    return values.data() + size_t(k) * CELL_COUNT;
}

namespace {

void storeNormal(const SurfaceNormal& n, VertexAttributes& a, VertexArray x, unsigned cell)
{
    a[x][cell] = float(n.x);
    a[VertexArray(x + 1)][cell] = float(n.y);
    a[VertexArray(x + 2)][cell] = float(n.z);
}

} // namespace

ColorInputs currentColorInputs()
{
    const ModeQuantity* q = quantityOfMode(colorMode);
    if (q == nullptr)
        return ColorInputs{nullptr, 0.0f, 0.0f, colorOffsets[0], colorOffsets[1]};
    return ColorInputs{(basin.*q->field).data(), basin.*q->min, basin.*q->scale, colorOffsets[0], colorOffsets[1]};
}

void sizeVertexAttributes(VertexAttributes& a) { a.values.resize(size_t(VERTEX_ARRAY_COUNT) * CELL_COUNT); }

void buildSurfaceGeometryPortable(VertexAttributes& a)
{
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= LAST_STRIP_ROW + 1; ++r) {
            const unsigned cell = unsigned(cellIndex(x, r));
            a[VERTEX_HEIGHT][cell] = float(scaledHeight(x, r));
            if (x == 0)
                continue; // the opening pair of a strip has no normal of its own
            if (r > FIRST_STRIP_ROW)
                storeNormal(upperNormal(x, r - 1), a, UPPER_NORMAL_X, cell);
            if (r <= LAST_STRIP_ROW)
                storeNormal(lowerNormal(x, r), a, LOWER_NORMAL_X, cell);
        }
    }
}

void buildSurfaceColorsPortable(VertexAttributes& a)
{
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= LAST_STRIP_ROW + 1; ++r) {
            const unsigned cell = unsigned(cellIndex(x, r));
            const VertexColor c = vertexColor(cell);
            a[VERTEX_RED][cell] = c.red;
            a[VERTEX_GREEN][cell] = c.green;
            a[VERTEX_BLUE][cell] = c.blue;
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
