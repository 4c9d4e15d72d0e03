#include "sim/drops.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/state.h"

// The low 15 bits of rand() are uniform wherever RAND_MAX + 1 is a power of two
// of at least 2^15 (glibc's 2^31 and the classic 32768 alike).
static_assert(RAND_MAX >= 32767 && ((unsigned(RAND_MAX) + 1u) & unsigned(RAND_MAX)) == 0,
              "rand() must give a power-of-two range of at least 15 bits");

namespace {

constexpr float DROP_CAP = 1.1f;

int randomRadius()
{
    const int r = int(double(randomFloat(0.0f, 1.0f)) * double(GRID_SIZE) * 0.05);
    return r;
}

// Window pixel to grid cell along one axis: pixel * 160 / extent, truncated.
// The quotient saturates at the int range so a far-off pointer stays defined.
int pointerToCell(int pixel, int extent)
{
    const double cell = double(pixel) * double(GRID_SIZE) / double(extent);
    if (cell >= double(INT_MAX))
        return INT_MAX;
    if (cell <= double(INT_MIN))
        return INT_MIN;
    return int(cell);
}

} // namespace

float randomFloat(float lo, float hi)
{
    const int r = std::rand() & 0x7FFF;
    return float(double(lo) + (double(hi) - double(lo)) * double(r) / 32768.0);
}

void addDrop(int cx, int cy, int r, float increment)
{
    // Patch bounds in 64 bits: any int centre and radius stay defined.
    const int64_t last = GRID_SIZE - 1;
    const int64_t x0 = std::max<int64_t>(int64_t(cx) - r, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(cx) + r - 1, last);
    const int64_t y0 = std::max<int64_t>(int64_t(cy) - r, 0);
    const int64_t y1 = std::min<int64_t>(int64_t(cy) + r - 1, last);
    for (int64_t x = x0; x <= x1; ++x) {
        for (int64_t y = y0; y <= y1; ++y) {
            float& cell = h[cellIndex(int(x), int(y))];
            cell = float(double(cell) + double(increment));
            if (cell > DROP_CAP)
                cell = DROP_CAP;
        }
    }
    noteFieldsChanged();
}

void randomDrop()
{
    // One statement per draw: the order of the four rand() calls is fixed.
    const int cx = int(double(randomFloat(0.0f, 1.0f)) * double(GRID_SIZE));
    const int cy = int(double(randomFloat(0.0f, 1.0f)) * double(GRID_SIZE));
    const int r = randomRadius();
    const float increment = randomFloat(0.01f, 0.07f);
    addDrop(cx, cy, std::max(r, 1), increment);
}

void dropAtPointer(int x, int y)
{
    // A window without area has no pixel under the pointer.
    if (windowWidth <= 0 || windowHeight <= 0)
        return;
    const int cx = pointerToCell(x, windowWidth);
    const int cy = pointerToCell(y, windowHeight);
    const int r = randomRadius();
    const float increment = randomFloat(0.1f, 0.7f);
    std::printf("2D drop x/y%d %d\n", cx, cy);
    addDrop(cx, cy, std::max(r, 1), increment);
}
