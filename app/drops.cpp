#include "app/drops.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "app/state.h"
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

void addDrop(int cx, int cy, int r, float increment) { basin.addDrop(cx, cy, r, increment); }

void randomDrop() { basin.randomDrop(); }

float randomFloat(float lo, float hi) { return randomFloat(basin.generator, lo, hi); }

void dropAtPointer(int x, int y)
{
    // A window without area has no pixel under the pointer.
    if (windowWidth <= 0 || windowHeight <= 0)
        return;
    const int cx = pointerToCell(x, basin.width(), windowWidth);
    const int cy = pointerToCell(y, basin.height(), windowHeight);
    const int r = randomRadius(basin);
    const float increment = randomFloat(0.1f, 0.7f);
    std::printf("2D drop x/y%d %d\n", cx, cy);
    basin.addDrop(cx, cy, std::max(r, 1), increment);
}
