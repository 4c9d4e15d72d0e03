#pragma once

// Keeping the water's volume. The step's height equation is not in flux form
// (it keeps the integral of h squared, not of h) and the advection interpolates,
// so the sum of h over the water drifts by parts per million over thousands of
// steps. With the keeper on, each step measures what its advection and height
// update did to that sum and hands the change back as a uniform shift of every
// water cell, once the debt reaches a float step of the rest level per cell:
// smaller shifts would round away. What the shift really added (each cell's
// rounding included) is taken off the debt, so nothing is lost to rounding and
// the volume stays within about one float step per cell of where it started.
//
// The sums run over the interior's water cells: each row's in double, in four
// running sums joined in a fixed order (the rows in bands on the step's
// threads), then the rows in order, in plain scalar code: the same bits on
// every target and thread count.
// Drops, sources and the sponge change the volume on purpose and are left out:
// the keeper only measures from the start of the step to the end of the
// velocity update.

#include <vector>

class Basin;

struct VolumeKeeper {
    bool on = false;
    // Volume the step's scheme has taken and not yet handed back (length x cells).
    double debt = 0.0;
    // Scratch: each row's sum and water cells, sized on first use.
    struct Rows {
        std::vector<double> sums;
        std::vector<int> cells;
    } rows;
};

// The sum of h over the interior's water cells, in the fixed order.
double waterVolume(const Basin& basin);

// The volume at the start of the step, or 0 when the keeper is off (no work).
double volumeBeforeStep(Basin& basin);

// Adds the step's change since volumeBeforeStep to the debt and, once it is at
// least a float step of the rest level per water cell, shifts the water cells
// by it. Does nothing when the keeper is off.
void keepVolume(Basin& basin, double before);
