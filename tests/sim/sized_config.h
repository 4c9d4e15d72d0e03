#pragma once

#include "sim/basin.h"

// The default configuration at another size and thread count.
inline BasinConfig sized(int width, int height, int threads = 1)
{
    BasinConfig c;
    c.width = width;
    c.height = height;
    c.threads = threads;
    return c;
}
