#pragma once

// Splits a stage's interior rows into bands, a few per thread, and runs them on
// OpenMP's threads, each taking the next band when it is free: a thread that the
// system holds back delays its own band, not a fixed share of the rows. No cell of a stage depends on another cell's result in the
// same stage, so the bands' order does not change a bit; only the ranges are
// folded afterwards (height_update.cpp).

#include <algorithm>

#include "sim/basin.h"

namespace ripplemoor {

// More bands than this would not pay on any machine we know; a fixed bound keeps
// the per-band ranges on the stack (a step allocates nothing).
constexpr int MAX_BANDS = 256;

constexpr int BANDS_PER_THREAD = 4;

// Interior rows 1 .. height - 2 in bands of near-equal size: one on one thread.
inline int bandCount(const Basin& basin)
{
    if (basin.threads() == 1)
        return 1;
    return std::max(1, std::min({basin.threads() * BANDS_PER_THREAD, basin.height() - 2, MAX_BANDS}));
}

inline void bandRows(const Basin& basin, int band, int& rowBegin, int& rowEnd)
{
    const long long rows = basin.height() - 2, bands = bandCount(basin);
    rowBegin = 1 + int(rows * band / bands);
    rowEnd = 1 + int(rows * (band + 1) / bands);
}

// Calls work(band, rowBegin, rowEnd) for every band; in parallel where there are several.
template <typename Work>
void forEachBand(const Basin& basin, const Work& work)
{
    const int bands = bandCount(basin);
    if (bands == 1) {
        work(0, 1, basin.height() - 1);
        return;
    }
#pragma omp parallel for num_threads(std::min(bands, basin.threads())) schedule(dynamic, 1)
    for (int band = 0; band < bands; ++band) {
        int rowBegin = 0, rowEnd = 0;
        bandRows(basin, band, rowBegin, rowEnd);
        work(band, rowBegin, rowEnd);
    }
}

} // namespace ripplemoor
