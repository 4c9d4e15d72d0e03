#include "sim/height_update.h"

#include <cmath>

#include "sim/stages.h"

namespace {

// Both comparisons are strict; a NaN value changes neither bound.
void includeInRange(float value, float& max, float& min)
{
    if (value > max)
        max = value;
    else if (value < min)
        min = value;
}

// One cell: heightChange, h, and the fields of the mode's quantity.
void updateHeightCell(const ripplemoor::HeightArrays& a, int mode, int i)
{
    const double u0 = a.u[i], u1 = a.u[i + 1], v0 = a.v[i], v1 = a.v[i + GRID_SIZE];
    const float d = float(((v1 - v0) + (u1 - u0)) * (a.h[i] * -0.5 * a.invCellSize));
    const float prev = a.heightChange[i];
    a.heightChange[i] = a.timestep * d;
    a.h[i] = a.heightChange[i] + a.h[i];

    if (mode == MODE_HEIGHT_ACCEL || mode == MODE_ENERGY_PRODUCT)
        a.heightAccel[i] = a.heightChange[i] - prev;
    if (mode == MODE_SPEED_SQ || mode == MODE_ENERGY_PRODUCT)
        a.speedSq[i] = float(u0 * u0 + v0 * v0);
    if (mode == MODE_FLOW_DIRECTION)
        a.flowDirection[i] = float(std::atan2(v0, u0));
    // Only the product's range is tracked; modes 3 and 4 keep their reset ranges.
    if (mode == MODE_ENERGY_PRODUCT)
        a.energyProduct[i] = a.speedSq[i] * a.heightAccel[i];
}

} // namespace

void ripplemoor::portable::updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min)
{
    for (int x = 1; x < GRID_SIZE - 1; ++x) {
        for (int y = 1; y < GRID_SIZE - 1; ++y) {
            updateHeightCell(a, mode, cellIndex(x, y));
            if (a.shown)
                includeInRange(a.shown[cellIndex(x, y)], max, min);
        }
    }
}
