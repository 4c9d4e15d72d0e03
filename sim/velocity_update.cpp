#include "sim/velocity_update.h"

#include "sim/stages.h"

void ripplemoor::portable::updateVelocities(const VelocityArrays& a)
{
    // The wall faces u[1, y], u[159, y], v[x, 1] and v[x, 159] are never touched.
    for (int x = 2; x < GRID_SIZE - 1; ++x) {
        for (int y = 1; y < GRID_SIZE - 1; ++y) {
            const int i = cellIndex(x, y);
            a.u[i] = float(a.u[i] - (double(a.h[i]) - a.h[i - 1]) * a.coefficient);
        }
    }
    for (int x = 1; x < GRID_SIZE - 1; ++x) {
        for (int y = 2; y < GRID_SIZE - 1; ++y) {
            const int i = cellIndex(x, y);
            a.v[i] = float(a.v[i] - (double(a.h[i]) - a.h[i - GRID_SIZE]) * a.coefficient);
        }
    }
}
