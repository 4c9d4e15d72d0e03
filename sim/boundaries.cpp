#include "sim/boundaries.h"

#include "sim/walls.h"

void applyBoundaries(Basin& basin)
{
    Field& h = basin.h;
    const int width = basin.width(), height = basin.height();
    const int lastX = width - 1, lastY = height - 1;
    // Rows first, then columns: each corner ends with its diagonal inner neighbour.
    for (int x = 0; x < width; ++x) {
        h[size_t(basin.cellIndex(x, 0))] = h[size_t(basin.cellIndex(x, 1))];
        h[size_t(basin.cellIndex(x, lastY))] = h[size_t(basin.cellIndex(x, lastY - 1))];
    }
    for (int y = 0; y < height; ++y) {
        h[size_t(basin.cellIndex(0, y))] = h[size_t(basin.cellIndex(1, y))];
        h[size_t(basin.cellIndex(lastX, y))] = h[size_t(basin.cellIndex(lastX - 1, y))];
    }
    drainWalls(basin);
}
