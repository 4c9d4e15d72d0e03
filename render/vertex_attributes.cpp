#include "render/vertex_attributes.h"

#include "app/state.h"
#include "render/surface.h"
#include "render/vertex_color.h"
#include "render/vertex_kernel.h"
#include "render/vertex_path.h"

namespace {

ColorInputs rangeInputs(const Field& field, float minimum, float scale)
{
    return ColorInputs{field.data(), minimum, scale, colorOffsets[0], colorOffsets[1]};
}

void storeNormal(const SurfaceNormal& n, float& x, float& y, float& z)
{
    x = float(n.x);
    y = float(n.y);
    z = float(n.z);
}

} // namespace

ColorInputs currentColorInputs()
{
    switch (colorMode) {
    case 1: return rangeInputs(h, hMin, hScale);
    case 2: return rangeInputs(heightChange, heightChangeMin, heightChangeScale);
    case 3: return rangeInputs(heightAccel, heightAccelMin, heightAccelScale);
    case 4: return rangeInputs(speedSq, speedSqMin, speedSqScale);
    case 5: return rangeInputs(flowDirection, flowDirectionMin, flowDirectionScale);
    case 6: return rangeInputs(energyProduct, energyProductMin, energyProductScale);
    default: return ColorInputs{nullptr, 0.0f, 0.0f, colorOffsets[0], colorOffsets[1]};
    }
}

void sizeVertexAttributes(VertexAttributes& a)
{
    for (std::vector<float>* array : {&a.height, &a.red, &a.green, &a.blue, &a.upperX, &a.upperY,
                                      &a.upperZ, &a.lowerX, &a.lowerY, &a.lowerZ})
        array->resize(CELL_COUNT);
}

void buildVertexAttributesPortable(VertexAttributes& a)
{
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int r = FIRST_STRIP_ROW; r <= LAST_STRIP_ROW + 1; ++r) {
            const unsigned cell = unsigned(cellIndex(x, r));
            a.height[cell] = float(scaledHeight(x, r));
            const VertexColor c = vertexColor(cell);
            a.red[cell] = c.red;
            a.green[cell] = c.green;
            a.blue[cell] = c.blue;
            if (x == 0)
                continue; // the opening pair of a strip has no normal of its own
            if (r > FIRST_STRIP_ROW)
                storeNormal(upperNormal(x, r - 1), a.upperX[cell], a.upperY[cell], a.upperZ[cell]);
            if (r <= LAST_STRIP_ROW)
                storeNormal(lowerNormal(x, r), a.lowerX[cell], a.lowerY[cell], a.lowerZ[cell]);
        }
    }
}

void buildVertexAttributes(VertexAttributes& a)
{
    const int64_t target = activeVertexTarget();
    if (target == 0)
        buildVertexAttributesPortable(a);
    else
        buildVertexAttributesKernel(target, h.data(), currentColorInputs(), a);
}
