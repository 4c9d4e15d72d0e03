// Arbitrary bytes as a saved basin state (what a pickle carries): refused with a
// reason, or restored into a basin that saves back to the same state, drops and
// steps, all without a stray access. A bed is checked by the step, not by the
// reader (a basin's bed may be written freely between steps): the step may
// refuse one, and then only where a water cell's bed is bad.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "sim/basin_state.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool holdsABadBed(const Basin& basin)
{
    for (size_t i = 0; i < basin.bed.size(); ++i)
        if (basin.walls[i] == 0 &&
            !(std::isfinite(basin.bed[i]) && double(basin.bed[i]) < double(basin.config().restHeight)))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        Basin basin = restoreBasinState(data, size);
        const std::vector<unsigned char> saved = saveBasinState(basin);
        const Basin again = restoreBasinState(saved.data(), saved.size());
        check(saveBasinState(again) == saved);
        // The state may ask for thousands of threads; one is enough to walk every cell.
        basin.setThreads(1);
        try {
            for (int k = 0; k < 3; ++k) {
                basin.randomDrop();
                basin.step();
            }
        } catch (const std::invalid_argument&) {
            check(holdsABadBed(basin));
        }
    } catch (const BasinStateError&) {
    }
    return 0;
}
