// Arbitrary bytes as a saved basin state (what a pickle carries): refused with a
// reason, or restored into a basin that saves back to the same state, drops and
// steps, all without a stray access.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/basin_state.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
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
        for (int k = 0; k < 3; ++k) {
            basin.randomDrop();
            basin.step();
        }
    } catch (const BasinStateError&) {
    }
    return 0;
}
