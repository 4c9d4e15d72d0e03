#include "app/wall_pen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "render/picking.h"
#include "render/surface.h"

long penCells(Basin& basin, int cx, int cy, int radius, bool solid)
{
    const uint8_t value = solid ? 1 : 0;
    const float rest = basin.config().restHeight;
    long changed = 0;
    const int y0 = std::max(cy - radius, 0), y1 = std::min(cy + radius, basin.height() - 1);
    const int x0 = std::max(cx - radius, 0), x1 = std::min(cx + radius, basin.width() - 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const long dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy > long(radius) * radius)
                continue;
            const size_t cell = size_t(basin.cellIndex(x, y));
            if ((basin.walls[cell] != 0) == solid)
                continue;
            basin.walls[cell] = value;
            basin.h[cell] = solid ? 0.0f : rest;
            ++changed;
        }
    }
    if (changed > 0)
        basin.noteFieldsChanged();
    return changed;
}

void penAtPointer(Program& program, int x, int y)
{
    View& view = program.view;
    Basin& basin = program.basin;
    const double level = HEIGHT_SCALE * double(basin.config().restHeight);
    PickedCell cell = pickCell(view.camera, view.windowWidth, view.windowHeight, level, x, y);
    if (!cell.hit)
        return;
    // Far past the edge the pen touches nothing; held just outside, the line
    // from the last cell stays short.
    const int margin = view.pen.radius + 1;
    cell.x = std::clamp(cell.x, -margin, basin.width() - 1 + margin);
    cell.y = std::clamp(cell.y, -margin, basin.height() - 1 + margin);
    const bool solid = view.pen.stroke == Stroke::paint;
    // From the previous event's cell to this one, a pen stamp per cell of the longer axis.
    const int fromX = view.pen.placed ? view.pen.lastX : cell.x;
    const int fromY = view.pen.placed ? view.pen.lastY : cell.y;
    const int steps = std::max(std::abs(cell.x - fromX), std::abs(cell.y - fromY));
    for (int k = 0; k <= steps; ++k) {
        const double t = steps == 0 ? 1.0 : double(k) / steps;
        const int px = int(std::lround(fromX + t * (cell.x - fromX)));
        const int py = int(std::lround(fromY + t * (cell.y - fromY)));
        penCells(basin, px, py, view.pen.radius, solid);
    }
    view.pen.placed = true;
    view.pen.lastX = cell.x;
    view.pen.lastY = cell.y;
}

void clearWalls(Basin& basin)
{
    const float rest = basin.config().restHeight;
    bool changed = false;
    for (size_t cell = 0; cell < basin.walls.size(); ++cell) {
        if (basin.walls[cell] != 0) {
            basin.walls[cell] = 0;
            basin.h[cell] = rest;
            changed = true;
        }
    }
    if (changed)
        basin.noteFieldsChanged();
}
