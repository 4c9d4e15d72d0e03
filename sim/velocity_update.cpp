#include "sim/velocity_update.h"

#include "sim/bands.h"
#include "sim/stages.h"
#include "sim/walls.h"

void ripplemoor::portable::updateVelocities(const VelocityArrays& arrays)
{
    const VelocityArrays a = arrays; // a local copy: the stores to u and v cannot change it
    // The wall faces u[1, y], u[width - 1, y], v[x, 1] and v[x, height - 1] are never touched.
    const int width = a.extent.width;
    const size_t row = size_t(width);
    if (a.rest != nullptr) {
        // Over a bed: the gradient of the surface, as departures from rest.
        for (int x = 2; x < width - 1; ++x) {
            for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
                const size_t i = size_t(x) + size_t(y) * row;
                const double here = double(a.h[i]) - a.rest[i], behind = double(a.h[i - 1]) - a.rest[i - 1];
                a.u[i] = float(a.u[i] - (here - behind) * a.coefficient);
            }
        }
        for (int x = 1; x < width - 1; ++x) {
            for (int y = a.extent.rowBegin < 2 ? 2 : a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
                const size_t i = size_t(x) + size_t(y) * row;
                const double here = double(a.h[i]) - a.rest[i], behind = double(a.h[i - row]) - a.rest[i - row];
                a.v[i] = float(a.v[i] - (here - behind) * a.coefficient);
            }
        }
        return;
    }
    for (int x = 2; x < width - 1; ++x) {
        for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * row;
            a.u[i] = float(a.u[i] - (double(a.h[i]) - a.h[i - 1]) * a.coefficient);
        }
    }
    for (int x = 1; x < width - 1; ++x) {
        for (int y = a.extent.rowBegin < 2 ? 2 : a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * row;
            a.v[i] = float(a.v[i] - (double(a.h[i]) - a.h[i - row]) * a.coefficient);
        }
    }
}

double velocityCoefficient(const Basin& basin)
{
    return double(basin.config().timestep) * basin.config().gravity * basin.invCellSize;
}

void updateVelocities(Basin& basin)
{
    using namespace ripplemoor;
    const bool vector = useKernel(basin);
    const double c = velocityCoefficient(basin);
    forEachBand(basin, [&](int, int rowBegin, int rowEnd) {
        const VelocityArrays a{basin.u.data(), basin.v.data(), basin.h.data(), c,
                               {basin.width(), basin.height(), rowBegin, rowEnd}, basin.restDepth()};
        if (vector)
            kernel::updateVelocities(a);
        else
            portable::updateVelocities(a);
    });
    closeFaces(basin.u, basin.wallCache().closedU);
    closeFaces(basin.v, basin.wallCache().closedV);
}
