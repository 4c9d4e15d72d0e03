#pragma once

// Gauges: cells whose h is recorded in the step, after every k-th step counted
// from the last reset, without the caller looking at each step.

#include <cstddef>
#include <cstdint>
#include <vector>

class Basin;

struct Gauge {
    int x = 0, y = 0;
};

struct GaugeLog {
    int every = 1;
    std::vector<uint64_t> steps; // the step count of each record
    std::vector<float> h;        // one row per record, one value per gauge
};

// Throws std::invalid_argument for a place outside the basin or in a wall.
void checkGauge(const Basin& basin, int x, int y);

// Appends a record if the basin's step count is a multiple of the log's every.
void recordGauges(Basin& basin);
