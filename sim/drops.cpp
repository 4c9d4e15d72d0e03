#include "sim/drops.h"

#include <algorithm>
#include <cstdint>

float dropCap(const Basin& basin) { return float(double(basin.config().restHeight) * 1.1); }

int randomRadius(Basin& basin)
{
    const int side = std::min(basin.width(), basin.height());
    return int(double(randomFloat(basin.generator, 0.0f, 1.0f)) * double(side) * 0.05);
}

void Basin::addDrop(int cx, int cy, int r, float increment)
{
    refreshWalls();
    const float cap = dropCap(*this);
    // Patch bounds in 64 bits: any int centre and radius stay defined.
    const int64_t x0 = std::max<int64_t>(int64_t(cx) - r, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(cx) + r - 1, width() - 1);
    const int64_t y0 = std::max<int64_t>(int64_t(cy) - r, 0);
    const int64_t y1 = std::min<int64_t>(int64_t(cy) + r - 1, height() - 1);
    for (int64_t x = x0; x <= x1; ++x) {
        for (int64_t y = y0; y <= y1; ++y) {
            const size_t i = size_t(cellIndex(int(x), int(y)));
            if (walls[i] != 0)
                continue; // a wall holds no water
            float& cell = h[i];
            cell = float(double(cell) + double(increment));
            if (cell > cap)
                cell = cap;
        }
    }
    noteFieldsChanged();
}

void Basin::randomDrop()
{
    // One statement per draw: the order of the four draws is fixed.
    const int cx = int(double(randomFloat(generator, 0.0f, 1.0f)) * double(width()));
    const int cy = int(double(randomFloat(generator, 0.0f, 1.0f)) * double(height()));
    const int r = randomRadius(*this);
    const float increment = randomFloat(generator, 0.01f, 0.07f);
    addDrop(cx, cy, std::max(r, 1), increment);
}
