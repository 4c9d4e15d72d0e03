#include "app/drops.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "sim/drops.h"

namespace {

// Window pixel to grid cell along one axis: pixel * cells / extent, truncated.
// The quotient saturates at the int range so a far-off pointer stays defined.
int pointerToCell(int pixel, int cells, int extent)
{
    const double cell = double(pixel) * double(cells) / double(extent);
    if (cell >= double(INT_MAX))
        return INT_MAX;
    if (cell <= double(INT_MIN))
        return INT_MIN;
    return int(cell);
}

} // namespace

void dropAtPointer(Program& program, int x, int y)
{
    Basin& basin = program.basin;
    const View& view = program.view;
    // A window without area has no pixel under the pointer.
    if (view.windowWidth <= 0 || view.windowHeight <= 0)
        return;
    const int cx = pointerToCell(x, basin.width(), view.windowWidth);
    const int cy = pointerToCell(y, basin.height(), view.windowHeight);
    if (cx >= 0 && cy >= 0 && cx < basin.width() && cy < basin.height() &&
        basin.walls[size_t(basin.cellIndex(cx, cy))] != 0)
        return;
    const int r = randomRadius(basin);
    const float increment = randomFloat(basin.generator, 0.1f, 0.7f);
    std::printf("2D drop x/y%d %d\n", cx, cy);
    basin.addDrop(cx, cy, std::max(r, 1), increment);
}
