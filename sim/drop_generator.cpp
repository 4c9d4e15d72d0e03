#include "sim/drop_generator.h"

void DropGenerator::seed(uint32_t value)
{
    // Park and Miller's minimal standard generator fills the table (Schrage's
    // method, as the C library computes it, including for seeds above 2^31 - 1,
    // which it reads as negative).
    int32_t word = int32_t(value == 0 ? 1 : value);
    words[0] = uint32_t(word);
    for (int k = 1; k < WORDS; ++k) {
        const int64_t hi = word / 127773, lo = word % 127773;
        int64_t next = 16807 * lo - 2836 * hi;
        if (next < 0)
            next += 2147483647;
        word = int32_t(next);
        words[k] = uint32_t(word);
    }
    front = 3;
    rear = 0;
    // The first 310 values are discarded.
    for (int k = 0; k < 10 * WORDS; ++k)
        next();
}

uint32_t DropGenerator::next()
{
    words[front] += words[rear];
    const uint32_t result = words[front] >> 1;
    front = front + 1 == WORDS ? 0 : front + 1;
    rear = rear + 1 == WORDS ? 0 : rear + 1;
    return result;
}

float randomFloat(DropGenerator& g, float lo, float hi)
{
    const int r = int(g.next() & 0x7FFF);
    return float(double(lo) + (double(hi) - double(lo)) * double(r) / 32768.0);
}
