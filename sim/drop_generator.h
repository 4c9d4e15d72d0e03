#pragma once

#include <cstdint>

// The drops' random numbers: the additive feedback generator of the GNU C
// library's rand() (31 words, lags 3 and 31), so that a seed gives the drops
// that srand() and rand() give: the pinned scenarios and recorded frames hold
// those drops.
// Each basin owns one, so basins in different threads draw independently.
class DropGenerator {
public:
    static constexpr int WORDS = 31;

    explicit DropGenerator(uint32_t value = 1) { seed(value); }

    void seed(uint32_t value);
    // The next value, 0 to 2^31 - 1.
    uint32_t next();

    // The whole state, for copies and pickles.
    uint32_t words[WORDS];
    int front = 3, rear = 0;
};

// Single-precision value in [lo, hi) from the low 15 bits of one draw.
float randomFloat(DropGenerator& g, float lo, float hi);
