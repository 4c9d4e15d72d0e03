#include "sim/walls.h"

#include <algorithm>
#include <cstring>

void closeFaces(Field& f, const std::vector<size_t>& faces)
{
    for (size_t i : faces)
        f[i] = 0.0f;
}

void drainWalls(Basin& basin)
{
    for (size_t i : basin.wallCache().solidCells)
        basin.h[i] = 0.0f;
}

void fillWalls(Basin& basin, int x0, int y0, int x1, int y1, bool solid)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, basin.width() - 1);
    y1 = std::min(y1, basin.height() - 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            basin.walls[size_t(basin.cellIndex(x, y))] = solid ? 1 : 0;
}

void Basin::refreshWalls()
{
    // The mask may have been written through a view since: compare, rebuild on change.
    WallCache& c = wallCache_;
    if (c.seen.size() == walls.size() && std::memcmp(c.seen.data(), walls.data(), walls.size()) == 0)
        return;
    c.seen = walls;
    ++wallBuilds_;
    c.solid.clear();
    c.solidCells.clear();
    c.closedU.clear();
    c.closedV.clear();
    const int w = width(), hgt = height();
    const auto solidAt = [&](int x, int y) { return walls[size_t(cellIndex(x, y))] != 0; };
    for (int y = 0; y < hgt; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(cellIndex(x, y));
            if (walls[i] != 0)
                c.solidCells.push_back(i);
            // u[x, y] lies between (x-1, y) and (x, y); v[x, y] between (x, y-1) and (x, y).
            if (x > 0 && (solidAt(x, y) || solidAt(x - 1, y)))
                c.closedU.push_back(i);
            if (y > 0 && (solidAt(x, y) || solidAt(x, y - 1)))
                c.closedV.push_back(i);
        }
    }
    if (!c.solidCells.empty()) {
        c.solid.assign(cellCount(), 0.0f);
        for (size_t i : c.solidCells)
            c.solid[i] = 1.0f;
    }
}
