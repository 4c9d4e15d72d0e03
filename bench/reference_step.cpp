#include "bench/reference_step.h"

#include <cmath>
#include <cstdlib>

#include "app/state.h"

namespace reference {
namespace {

float sample(const Field& f, float px, float py)
{
    const int ix = int(px), iy = int(py);
    const float fx = float(double(px) - ix), fy = float(double(py) - iy);
    const float gx = float(1.0 - fx), gy = float(1.0 - fy);
    const int i = cellIndex(ix, iy);
    const double f00 = f[i];
    const double f10 = ix < 159 ? f[i + 1] : 0.0;
    const double f01 = iy < 159 ? f[i + 160] : 0.0;
    const double f11 = ix < 159 && iy < 159 ? f[i + 161] : 0.0;
    return float(double(fx) * (f10 * gy + f11 * fy) + (double(gy) * f00 + double(fy) * f01) * gx);
}

float clamp(float p)
{
    if (!(p > 0.0f))
        p = 0.0f;
    if (p > 159.0f)
        p = 159.0f;
    return p;
}

void advect(Field& f, int kind)
{
    for (int x = 1; x <= 158; ++x) {
        for (int y = 1; y <= 158; ++y) {
            const int i = cellIndex(x, y);
            float vx, vy;
            if (kind == 0) {
                vx = float((double(u[i + 1]) + u[i]) * 0.5);
                vy = float((double(v[i + 160]) + v[i]) * 0.5);
            } else if (kind == 1) {
                vx = u[i];
                vy = float((double(v[i]) + v[i + 1] + v[i + 160] + v[i + 161]) * 0.25);
            } else if (kind == 2) {
                vx = float((double(u[i + 1]) + u[i] + u[i + 160] + u[i + 161]) * 0.25);
                vy = v[i];
            } else {
                std::exit(1);
            }
            const float px = clamp(float(x - (double(TIMESTEP) * vx) * invCellSize));
            const float py = clamp(float(y - (double(TIMESTEP) * vy) * invCellSize));
            scratch[i] = sample(f, px, py);
        }
    }
    for (int x = 1; x <= 158; ++x)
        for (int y = 1; y <= 158; ++y)
            f[cellIndex(x, y)] = scratch[cellIndex(x, y)];
}

void include(float value, float& max, float& min)
{
    if (value > max)
        max = value;
    else if (value < min)
        min = value;
}

void updateHeight()
{
    resetRanges();
    for (int x = 1; x <= 158; ++x) {
        for (int y = 1; y <= 158; ++y) {
            const int i = cellIndex(x, y);
            const float d = float(((double(v[i + 160]) - v[i]) + (double(u[i + 1]) - u[i])) *
                                  (double(h[i]) * -0.5 * invCellSize));
            const float prev = heightChange[i];
            heightChange[i] = float(double(TIMESTEP) * d);
            h[i] = float(double(heightChange[i]) + h[i]);
            switch (colorMode) {
            case 1: include(h[i], hMax, hMin); break;
            case 2: include(heightChange[i], heightChangeMax, heightChangeMin); break;
            case 3:
                heightAccel[i] = float(double(heightChange[i]) - prev);
                include(heightAccel[i], heightAccelMax, heightAccelMin);
                break;
            case 4:
                speedSq[i] = float(double(u[i]) * u[i] + double(v[i]) * v[i]);
                include(speedSq[i], speedSqMax, speedSqMin);
                break;
            case 5:
                flowDirection[i] = float(std::atan2(double(v[i]), double(u[i])));
                include(flowDirection[i], flowDirectionMax, flowDirectionMin);
                break;
            case 6:
                heightAccel[i] = float(double(heightChange[i]) - prev);
                speedSq[i] = float(double(v[i]) * v[i] + double(u[i]) * u[i]);
                energyProduct[i] = float(double(speedSq[i]) * heightAccel[i]);
                include(energyProduct[i], energyProductMax, energyProductMin);
                break;
            default: break;
            }
        }
    }
    hScale = float(1.0 / (double(hMax) - hMin));
    heightChangeScale = float(1.0 / (double(heightChangeMax) - heightChangeMin));
    heightAccelScale = float(1.0 / (double(heightAccelMax) - heightAccelMin));
    speedSqScale = float(1.0 / (double(speedSqMax) - speedSqMin));
    flowDirectionScale = float(1.0 / (double(flowDirectionMax) - flowDirectionMin));
    energyProductScale = float(1.0 / (double(energyProductMax) - energyProductMin));
}

void updateVelocities()
{
    const double c = (double(TIMESTEP) * GRAVITY) * invCellSize;
    for (int x = 2; x <= 158; ++x)
        for (int y = 1; y <= 158; ++y)
            u[cellIndex(x, y)] = float(u[cellIndex(x, y)] - (double(h[cellIndex(x, y)]) - h[cellIndex(x - 1, y)]) * c);
    for (int x = 1; x <= 158; ++x)
        for (int y = 2; y <= 158; ++y)
            v[cellIndex(x, y)] = float(v[cellIndex(x, y)] - (double(h[cellIndex(x, y)]) - h[cellIndex(x, y - 1)]) * c);
}

void applyBoundaries()
{
    for (int x = 0; x < 160; ++x) {
        h[cellIndex(x, 0)] = h[cellIndex(x, 1)];
        h[cellIndex(x, 159)] = h[cellIndex(x, 158)];
    }
    for (int y = 0; y < 160; ++y) {
        h[cellIndex(0, y)] = h[cellIndex(1, y)];
        h[cellIndex(159, y)] = h[cellIndex(158, y)];
    }
}

} // namespace

void simulationStep()
{
    advect(h, 0);
    advect(u, 1);
    advect(v, 2);
    updateHeight();
    updateVelocities();
    applyBoundaries();
}

} // namespace reference
