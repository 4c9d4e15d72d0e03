#include "sim/volume.h"

#include <cmath>

#include "sim/basin.h"

namespace {

// The sum of h over the interior's water cells and their count. One double per
// row, then the rows in order: the order is fixed, so are the bits.
double sumWater(const Basin& basin, size_t* cells)
{
    double total = 0.0;
    size_t count = 0;
    const int lastX = basin.width() - 2, lastY = basin.height() - 2;
    for (int y = 1; y <= lastY; ++y) {
        const size_t row = size_t(basin.cellIndex(0, y));
        double sum = 0.0;
        for (int x = 1; x <= lastX; ++x)
            if (basin.walls[row + size_t(x)] == 0) {
                sum += double(basin.h[row + size_t(x)]);
                ++count;
            }
        total += sum;
    }
    if (cells != nullptr)
        *cells = count;
    return total;
}

} // namespace

double waterVolume(const Basin& basin)
{
    return sumWater(basin, nullptr);
}

double volumeBeforeStep(const Basin& basin)
{
    return basin.volumeKeeper.on ? waterVolume(basin) : 0.0;
}

void keepVolume(Basin& basin, double before)
{
    VolumeKeeper& keeper = basin.volumeKeeper;
    if (!keeper.on)
        return;
    size_t cells = 0;
    keeper.debt += before - sumWater(basin, &cells);
    if (cells == 0)
        return;
    const float level = basin.config().restHeight;
    const double ulp = double(std::nextafter(level, 2.0f * level + 1.0f) - level);
    const double perCell = keeper.debt / double(cells);
    if (std::fabs(perCell) < ulp)
        return;
    const float shift = float(perCell);
    double added = 0.0;
    const int lastX = basin.width() - 2, lastY = basin.height() - 2;
    for (int y = 1; y <= lastY; ++y) {
        const size_t row = size_t(basin.cellIndex(0, y));
        double rowAdded = 0.0;
        for (int x = 1; x <= lastX; ++x) {
            const size_t i = row + size_t(x);
            if (basin.walls[i] != 0)
                continue;
            const float was = basin.h[i];
            basin.h[i] = was + shift;
            rowAdded += double(basin.h[i]) - double(was); // exact: two floats a few steps apart
        }
        added += rowAdded;
    }
    keeper.debt -= added;
}
