#include "sim/sources.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "sim/basin.h"
#include "sim/sine.h"

namespace {

void requireInterior(int width, int height, int x, int y, const char* what)
{
    if (x < 1 || x > width - 2 || y < 1 || y > height - 2)
        throw std::invalid_argument(std::string(what) + " (" + std::to_string(x) + ", " + std::to_string(y) +
                                    ") is outside the basin's water cells (1.." + std::to_string(width - 2) +
                                    ", 1.." + std::to_string(height - 2) + ")");
}

void requireRadius(int width, int height, int radius)
{
    if (radius < 0 || radius > width + height)
        throw std::invalid_argument("a point source's radius must be 0 or more and within the basin, got " +
                                    std::to_string(radius));
}

void checkTiming(double period, double amplitude, double phase, double ramp)
{
    if (!std::isfinite(period) || !(period > 0.0))
        throw std::invalid_argument("a source's period must be a finite positive number, got " +
                                    std::to_string(period));
    if (!std::isfinite(amplitude))
        throw std::invalid_argument("a source's amplitude must be finite, got " + std::to_string(amplitude));
    if (!std::isfinite(phase))
        throw std::invalid_argument("a source's phase must be finite, got " + std::to_string(phase));
    if (!std::isfinite(ramp) || ramp < 0.0)
        throw std::invalid_argument("a source's ramp must be a finite number of periods, 0 or more, got " +
                                    std::to_string(ramp));
}

WaveSource timed(double period, double amplitude, double phase, double ramp)
{
    checkTiming(period, amplitude, phase, ramp);
    WaveSource s;
    s.period = period;
    s.amplitude = amplitude;
    s.phase = phase;
    s.ramp = ramp;
    return s;
}

} // namespace

WaveSource pointSource(const Basin& basin, int x, int y, int radius, double period, double amplitude, double phase,
                       double ramp)
{
    requireInterior(basin.width(), basin.height(), x, y, "a point source's centre");
    requireRadius(basin.width(), basin.height(), radius);
    WaveSource s = timed(period, amplitude, phase, ramp);
    s.kind = WaveSource::POINT;
    s.x0 = s.x1 = x;
    s.y0 = s.y1 = y;
    s.radius = radius;
    const long long r2 = (long long)radius * radius;
    for (int cy = std::max(1, y - radius); cy <= std::min(basin.height() - 2, y + radius); ++cy)
        for (int cx = std::max(1, x - radius); cx <= std::min(basin.width() - 2, x + radius); ++cx)
            if ((long long)(cx - x) * (cx - x) + (long long)(cy - y) * (cy - y) <= r2)
                s.cells.push_back(size_t(basin.cellIndex(cx, cy)));
    return s;
}

WaveSource lineSource(const Basin& basin, int x0, int y0, int x1, int y1, double period, double amplitude,
                      double phase, double ramp)
{
    requireInterior(basin.width(), basin.height(), x0, y0, "a line source's first end");
    requireInterior(basin.width(), basin.height(), x1, y1, "a line source's second end");
    WaveSource s = timed(period, amplitude, phase, ramp);
    s.kind = WaveSource::LINE;
    s.x0 = x0, s.y0 = y0, s.x1 = x1, s.y1 = y1;
    s.radius = 0;
    // Bresenham's line: integers only, each cell once.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy, x = x0, y = y0;
    for (;;) {
        s.cells.push_back(size_t(basin.cellIndex(x, y)));
        if (x == x1 && y == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return s;
}

void checkSourceSettings(int basinWidth, int basinHeight, bool line, int x0, int y0, int x1, int y1, int radius,
                         double period, double amplitude, double phase, double ramp)
{
    if (line) {
        requireInterior(basinWidth, basinHeight, x0, y0, "a line source's first end");
        requireInterior(basinWidth, basinHeight, x1, y1, "a line source's second end");
    } else {
        requireInterior(basinWidth, basinHeight, x0, y0, "a point source's centre");
        requireRadius(basinWidth, basinHeight, radius);
    }
    checkTiming(period, amplitude, phase, ramp);
}

double sourceDisplacement(const WaveSource& s, uint64_t k, double timestep)
{
    const double t = double(k) * timestep;
    double ramp = 1.0;
    if (s.ramp > 0.0) {
        const double r = t / (s.ramp * s.period);
        ramp = r >= 1.0 ? 1.0 : r * r * (3.0 - 2.0 * r);
    }
    constexpr double INV_TWO_PI = 0.15915494309189535;
    return s.amplitude * ramp * sineOfTurns(t / s.period + s.phase * INV_TWO_PI);
}

void driveSources(Basin& basin)
{
    const double dt = basin.config().timestep;
    for (const WaveSource& s : basin.sources) {
        const uint64_t k = basin.steps - s.startStep;
        // k >= 1: the step count has already moved on.
        const double increment = sourceDisplacement(s, k, dt) - sourceDisplacement(s, k - 1, dt);
        for (size_t i : s.cells)
            if (basin.walls[i] == 0)
                basin.h[i] = float(double(basin.h[i]) + increment);
    }
}

std::string describeSource(const WaveSource& s)
{
    std::ostringstream out;
    if (s.kind == WaveSource::POINT)
        out << "point (" << s.x0 << ", " << s.y0 << ") radius " << s.radius;
    else
        out << "line (" << s.x0 << ", " << s.y0 << ") - (" << s.x1 << ", " << s.y1 << ")";
    out << " period " << s.period << " amplitude " << s.amplitude << " phase " << s.phase << " ramp " << s.ramp;
    return out.str();
}
