#include "sim/height_update.h"

#include <cmath>
#include <algorithm>
#include <vector>

#include "sim/bands.h"
#include "sim/stages.h"

namespace {

using ripplemoor::HeightArrays;

// Both comparisons are strict; a NaN value changes neither bound.
void includeInRange(float value, float& max, float& min)
{
    if (value > max)
        max = value;
    else if (value < min)
        min = value;
}

// One cell: heightChange, h, and the fields of the mode's quantity.
void updateHeightCell(const HeightArrays& a, int mode, size_t i)
{
    const double u0 = a.u[i], u1 = a.u[i + 1], v0 = a.v[i], v1 = a.v[i + size_t(a.extent.width)];
    const float d = float(((v1 - v0) + (u1 - u0)) * (a.hIn[i] * -0.5 * a.invCellSize));
    const float prev = a.heightChange[i];
    a.heightChange[i] = a.timestep * d;
    a.h[i] = a.heightChange[i] + a.hIn[i];

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

// A bound that ends at zero keeps the sign of the first zero that one pass in
// x-outer order met. Only hMin can end there (every other bound starts at +0 or
// the rest height and moves only for a strictly larger or smaller value); the
// kernel and the bands visit the cells in other orders.
float firstZeroHeight(const Basin& basin, const float* solid)
{
    for (int x = 1; x < basin.width() - 1; ++x) {
        for (int y = 1; y < basin.height() - 1; ++y) {
            const size_t i = size_t(basin.cellIndex(x, y));
            if (basin.h[i] == 0.0f && (solid == nullptr || solid[i] == 0.0f))
                return basin.h[i];
        }
    }
    return 0.0f;
}

// Unguarded on purpose: a flat quantity gives +infinity, which the colouring expects.
void computeScales(Basin& basin)
{
    for (int mode = MODE_H; mode < MODE_COUNT; ++mode) {
        Range& r = basin.ranges[mode];
        r.scale = float(1.0 / (double(r.max) - r.min));
    }
}

} // namespace

void ripplemoor::portable::updateHeightInterior(const HeightArrays& arrays, int mode, float& max, float& min)
{
    HeightArrays a = arrays; // a local copy: the stores to the fields cannot change it
    if (a.hIn == nullptr)
        a.hIn = a.h;
    const size_t width = size_t(a.extent.width);
    for (int x = 1; x < a.extent.width - 1; ++x) {
        for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * width;
            updateHeightCell(a, mode, i);
            if (a.shown && (a.solid == nullptr || a.solid[i] == 0.0f))
                includeInRange(a.shown[i], max, min);
        }
    }
}

void updateHeight(Basin& basin) { updateHeight(basin, ripplemoor::stagePath(basin), nullptr, nullptr, nullptr); }

void updateHeight(Basin& basin, const ripplemoor::StagePath& path, const float* hIn, const float* u, const float* v)
{
    using namespace ripplemoor;
    basin.resetRanges();
    const ModeQuantity* shown = quantityOfMode(basin.colorMode);
    const int mode = shown ? basin.colorMode : MODE_PLAIN;
    const std::vector<float>& solidCells = basin.wallCache().solid;
    const float* solid = solidCells.empty() ? nullptr : solidCells.data();
    // Each band widens its own copy of the reset range; their fold is the range.
    const float resetMax = shown ? basin.ranges[mode].max : 0.0f, resetMin = shown ? basin.ranges[mode].min : 0.0f;
    const size_t bands = size_t(bandCount(basin));
    float maxima[MAX_BANDS], minima[MAX_BANDS];
    std::fill(maxima, maxima + bands, resetMax);
    std::fill(minima, minima + bands, resetMin);
    forEachBand(basin, [&](int band, int rowBegin, int rowEnd) {
        const HeightArrays a{basin.h.data(),
                             basin.heightChange.data(),
                             basin.heightAccel.data(),
                             basin.speedSq.data(),
                             basin.flowDirection.data(),
                             basin.energyProduct.data(),
                             u ? u : basin.u.data(),
                             v ? v : basin.v.data(),
                             shown ? (basin.*shown->field).data() : nullptr,
                             solid,
                             basin.config().timestep,
                             basin.invCellSize,
                             {basin.width(), basin.height(), rowBegin, rowEnd},
                             hIn ? hIn : basin.h.data()};
        path.updateHeightInterior(a, mode, maxima[size_t(band)], minima[size_t(band)]);
    });
    if (shown) {
        float max = resetMax, min = resetMin;
        for (size_t band = 0; band < bands; ++band) {
            includeInRange(maxima[band], max, min);
            includeInRange(minima[band], max, min);
        }
        if (mode == MODE_H && min == 0.0f && (path.vector || bands > 1))
            min = firstZeroHeight(basin, solid);
        basin.ranges[mode].max = max;
        basin.ranges[mode].min = min;
    }
    computeScales(basin);
}
