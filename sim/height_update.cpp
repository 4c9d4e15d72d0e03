#include "sim/height_update.h"

#include <cmath>

#include "app/state.h"
#include "sim/avx2_solver.h"
#include "sim/height_cell.h"
#include "sim/solver_path.h"

namespace {

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

float squaredSpeed(int i) { return float(double(u[i]) * double(u[i]) + double(v[i]) * double(v[i])); }

} // namespace

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

void updateHeight()
{
    resetRanges();
    const int mode = colorMode;
    // atan2 has no vector form that keeps the bits, so mode 5 stays on the portable path.
    if (avx2SolverActive() && mode != 5) {
        updateHeightInteriorAvx2(mode);
    } else {
        for (int x = 1; x < GRID_SIZE - 1; ++x)
            for (int y = 1; y < GRID_SIZE - 1; ++y)
                updateHeightCell(cellIndex(x, y), mode);
    }
    computeScales();
}
