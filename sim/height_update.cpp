#include "sim/height_update.h"

#include <cmath>

#include "app/state.h"
#include "sim/solver_kernel.h"
#include "sim/solver_path.h"

namespace {

// One cell of the portable pass (i = cellIndex(x, y)): heightChange, h, and the
// derived value and range of the given colour mode.
void updateHeightCell(int i, int mode);

// Both comparisons are strict; a NaN value changes neither bound.
void includeInRange(float value, float& max, float& min)
{
    if (value > max)
        max = value;
    else if (value < min)
        min = value;
}

float inverseWidth(float max, float min) { return float(1.0 / (double(max) - double(min))); }

// Unguarded on purpose: a flat quantity gives +infinity, which the colouring expects.
void computeScales()
{
    hScale = inverseWidth(hMax, hMin);
    heightChangeScale = inverseWidth(heightChangeMax, heightChangeMin);
    heightAccelScale = inverseWidth(heightAccelMax, heightAccelMin);
    speedSqScale = inverseWidth(speedSqMax, speedSqMin);
    flowDirectionScale = inverseWidth(flowDirectionMax, flowDirectionMin);
    energyProductScale = inverseWidth(energyProductMax, energyProductMin);
}

// A bound that ends at zero keeps the sign of the first zero the pass met. Only
// hMin can get there (every other bound starts at +0 or 1 and moves only for a
// strictly larger or smaller value), and only the vector kernel, which visits the
// cells in another order, needs it restored: the first zero in x-outer order.
void settleZeroHeightMinimum()
{
    if (hMin != 0.0f)
        return;
    for (int x = 1; x < GRID_SIZE - 1; ++x) {
        for (int y = 1; y < GRID_SIZE - 1; ++y) {
            const float value = h[cellIndex(x, y)];
            if (value == 0.0f) {
                hMin = value;
                return;
            }
        }
    }
}

// The range the pass widens in each mode; none in mode 0 or outside 1..6.
struct ModeRange {
    float* max;
    float* min;
};

ModeRange rangeOfMode(int mode)
{
    switch (mode) {
    case 1:
        return {&hMax, &hMin};
    case 2:
        return {&heightChangeMax, &heightChangeMin};
    case 3:
        return {&heightAccelMax, &heightAccelMin};
    case 4:
        return {&speedSqMax, &speedSqMin};
    case 5:
        return {&flowDirectionMax, &flowDirectionMin};
    case 6:
        return {&energyProductMax, &energyProductMin};
    default:
        return {nullptr, nullptr};
    }
}

void updateHeightInterior(int mode)
{
    if (portableSolverActive()) {
        for (int x = 1; x < GRID_SIZE - 1; ++x)
            for (int y = 1; y < GRID_SIZE - 1; ++y)
                updateHeightCell(cellIndex(x, y), mode);
        return;
    }
    const ripplemoor::HeightArrays arrays{h.data(),       heightChange.data(),  heightAccel.data(),
                                          speedSq.data(), flowDirection.data(), energyProduct.data(),
                                          u.data(),       v.data(),             TIMESTEP,
                                          double(invCellSize)};
    const ModeRange range = rangeOfMode(mode);
    float unusedMax = 0.0f, unusedMin = 0.0f;
    ripplemoor::updateHeightInteriorKernel(arrays, mode, range.max ? *range.max : unusedMax,
                                           range.min ? *range.min : unusedMin);
    if (mode == 1)
        settleZeroHeightMinimum();
}

float squaredSpeed(int i) { return float(double(u[i]) * double(u[i]) + double(v[i]) * double(v[i])); }

void updateHeightCell(int i, int mode)
{
    const double divergence = (double(v[i + GRID_SIZE]) - double(v[i])) + (double(u[i + 1]) - double(u[i]));
    const float d = float(divergence * (double(h[i]) * -0.5 * double(invCellSize)));
    const float prev = heightChange[i];
    heightChange[i] = float(double(TIMESTEP) * double(d));
    h[i] = float(double(heightChange[i]) + double(h[i]));

    switch (mode) {
    case 1:
        includeInRange(h[i], hMax, hMin);
        break;
    case 2:
        includeInRange(heightChange[i], heightChangeMax, heightChangeMin);
        break;
    case 3:
        heightAccel[i] = float(double(heightChange[i]) - double(prev));
        includeInRange(heightAccel[i], heightAccelMax, heightAccelMin);
        break;
    case 4:
        speedSq[i] = squaredSpeed(i);
        includeInRange(speedSq[i], speedSqMax, speedSqMin);
        break;
    case 5:
        flowDirection[i] = float(std::atan2(double(v[i]), double(u[i])));
        includeInRange(flowDirection[i], flowDirectionMax, flowDirectionMin);
        break;
    case 6:
        // Only the product's range is tracked; modes 3 and 4 keep their reset ranges.
        heightAccel[i] = float(double(heightChange[i]) - double(prev));
        speedSq[i] = float(double(v[i]) * double(v[i]) + double(u[i]) * double(u[i]));
        energyProduct[i] = float(double(speedSq[i]) * double(heightAccel[i]));
        includeInRange(energyProduct[i], energyProductMax, energyProductMin);
        break;
    default:
        break;
    }
}

} // namespace

void updateHeight()
{
    resetRanges();
    updateHeightInterior(colorMode);
    computeScales();
}
