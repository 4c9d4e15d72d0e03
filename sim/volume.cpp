#include "sim/volume.h"

#include <cmath>
#include <cstdint>

#include "sim/bands.h"
#include "sim/basin.h"

namespace {

// Each interior row's sum of h over its water cells, left to right in double,
// and its count of water cells, the rows in bands on the step's threads. A
// row's sum does not depend on its band; the rows are then added in order, so
// the total has the same bits on every thread count.
double sumWater(const Basin& basin, VolumeKeeper::Rows& rows, size_t* cells)
{
    rows.sums.resize(size_t(basin.height())); // once per basin: a step allocates nothing after
    rows.cells.resize(size_t(basin.height()));
    const int lastX = basin.width() - 2;
    ripplemoor::forEachBand(basin, [&](int, int rowBegin, int rowEnd) {
        for (int y = rowBegin; y < rowEnd; ++y) {
            const size_t row = size_t(basin.cellIndex(0, y));
            const uint8_t* walls = basin.walls.data() + row;
            const float* h = basin.h.data() + row;
            // Four running sums, joined in a fixed order: a quarter of the
            // chain of dependent additions.
            const auto cell = [&](int x) { return walls[x] == 0 ? double(h[x]) : 0.0; };
            double sum[4] = {0.0, 0.0, 0.0, 0.0};
            int x = 1;
            for (; x + 3 <= lastX; x += 4) {
                sum[0] += cell(x);
                sum[1] += cell(x + 1);
                sum[2] += cell(x + 2);
                sum[3] += cell(x + 3);
            }
            for (; x <= lastX; ++x)
                sum[0] += cell(x);
            int count = 0;
            for (x = 1; x <= lastX; ++x)
                count += walls[x] == 0 ? 1 : 0;
            rows.sums[size_t(y)] = (sum[0] + sum[1]) + (sum[2] + sum[3]);
            rows.cells[size_t(y)] = count;
        }
    });
    double total = 0.0;
    size_t count = 0;
    for (int y = 1; y <= basin.height() - 2; ++y) {
        total += rows.sums[size_t(y)];
        count += size_t(rows.cells[size_t(y)]);
    }
    if (cells != nullptr)
        *cells = count;
    return total;
}

} // namespace

double waterVolume(const Basin& basin)
{
    VolumeKeeper::Rows rows;
    return sumWater(basin, rows, nullptr);
}

double volumeBeforeStep(Basin& basin)
{
    VolumeKeeper& keeper = basin.volumeKeeper;
    return keeper.on ? sumWater(basin, keeper.rows, nullptr) : 0.0;
}

void keepVolume(Basin& basin, double before)
{
    VolumeKeeper& keeper = basin.volumeKeeper;
    if (!keeper.on)
        return;
    size_t cells = 0;
    keeper.debt += before - sumWater(basin, keeper.rows, &cells);
    if (cells == 0)
        return;
    const float level = basin.config().restHeight;
    const double ulp = double(std::nextafter(level, 2.0f * level + 1.0f) - level);
    const double perCell = keeper.debt / double(cells);
    if (std::fabs(perCell) < ulp)
        return;
    // Every water cell up (or down) by the shift; what each really moved, after
    // rounding, is summed as the volume was, and taken off the debt.
    const float shift = float(perCell);
    const int lastX = basin.width() - 2;
    ripplemoor::forEachBand(basin, [&](int, int rowBegin, int rowEnd) {
        for (int y = rowBegin; y < rowEnd; ++y) {
            const size_t row = size_t(basin.cellIndex(0, y));
            double added = 0.0;
            for (int x = 1; x <= lastX; ++x) {
                const size_t i = row + size_t(x);
                if (basin.walls[i] != 0)
                    continue;
                const float was = basin.h[i];
                basin.h[i] = was + shift;
                added += double(basin.h[i]) - double(was); // exact: two floats a few steps apart
            }
            keeper.rows.sums[size_t(y)] = added;
        }
    });
    double added = 0.0;
    for (int y = 1; y <= basin.height() - 2; ++y)
        added += keeper.rows.sums[size_t(y)];
    keeper.debt -= added;
}
