#pragma once

// Wave makers. Each is a set of water cells whose surface is driven as
//   D(k) = amplitude x ramp(k) x sin(2 pi (k dt / period) + phase)
// after its k-th step (k counted from the step the source was added or the basin
// last reset): every step adds D(k) - D(k - 1) to h in each of its cells. The
// added volume therefore never drifts: after any number of steps it is D(k) per
// cell (D(0) = 0 once a ramp is used), so a source adds no net water over a
// period, and the forcing is a prescribed displacement of amplitude `amplitude`
// that the surrounding water keeps radiating away. ramp(k) rises smoothly
// (3s^2 - 2s^3) from 0 to 1 over `ramp` periods. The sine is sineOfTurns (the same
// bits everywhere); the forcing is a scalar loop over the cells, so neither the
// vector target nor the thread count changes it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Basin;

struct WaveSource {
    enum Kind { POINT, LINE } kind = POINT;
    int x0 = 0, y0 = 0; // the centre of a point source, one end of a line
    int x1 = 0, y1 = 0; // the other end of a line
    int radius = 1;     // a point source: the cells within this distance of the centre
    double period = 1.0, amplitude = 0.0, phase = 0.0, ramp = 2.0;
    uint64_t startStep = 0; // the basin's step count when it was added
    std::vector<size_t> cells; // the driven cells, walls left out when stepped
};

// Both throw std::invalid_argument for a place outside the interior (columns 1 ..
// width - 2, rows 1 .. height - 2), a radius below 0, a period that is not finite
// and positive, an amplitude or phase that is not finite, or a ramp that is not
// finite and non-negative.
WaveSource pointSource(const Basin& basin, int x, int y, int radius, double period, double amplitude, double phase,
                       double ramp);
WaveSource lineSource(const Basin& basin, int x0, int y0, int x1, int y1, double period, double amplitude,
                      double phase, double ramp);

// The same checks without a basin, for readers that have only its size.
void checkSourceSettings(int basinWidth, int basinHeight, bool line, int x0, int y0, int x1, int y1, int radius,
                         double period, double amplitude, double phase, double ramp);

// D(k) of a source, in double.
double sourceDisplacement(const WaveSource& source, uint64_t k, double timestep);

// Adds every source's increment of this step to h; the basin's step count is the
// number of the step being finished, minus one.
void driveSources(Basin& basin);

// "point (x, y) r=... period=..." for listings.
std::string describeSource(const WaveSource& source);
