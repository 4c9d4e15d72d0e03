#include "sim/velocity_update.h"

#include "app/state.h"
#include "sim/solver_kernel.h"
#include "sim/solver_path.h"

double velocityCoefficient() { return (double(TIMESTEP) * GRAVITY) * double(invCellSize); }

void updateVelocities()
{
    if (!portableSolverActive()) {
        ripplemoor::updateVelocitiesKernel(u.data(), v.data(), h.data(), velocityCoefficient());
        return;
    }
    const double c = velocityCoefficient();
    // The wall faces u[1, y], u[159, y], v[x, 1] and v[x, 159] are never touched.
    for (int x = 2; x < GRID_SIZE - 1; ++x) {
        for (int y = 1; y < GRID_SIZE - 1; ++y) {
            const int i = cellIndex(x, y);
            u[i] = float(double(u[i]) - (double(h[i]) - double(h[i - 1])) * c);
        }
    }
    for (int x = 1; x < GRID_SIZE - 1; ++x) {
        for (int y = 2; y < GRID_SIZE - 1; ++y) {
            const int i = cellIndex(x, y);
            v[i] = float(double(v[i]) - (double(h[i]) - double(h[i - GRID_SIZE])) * c);
        }
    }
}
