#include "sim/velocity_update.h"

#include "app/state.h"
#include "sim/avx2_solver.h"
#include "sim/avx512_solver.h"
#include "sim/solver_path.h"

double velocityCoefficient() { return (double(TIMESTEP) * GRAVITY) * double(invCellSize); }

void updateVelocities()
{
    if (activeSolverPath() == SolverPath::Avx512) {
        updateVelocitiesAvx512();
        return;
    }
    if (activeSolverPath() == SolverPath::Avx2) {
        updateVelocitiesAvx2();
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
