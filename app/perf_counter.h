#pragma once

#include <cstdint>

// High-resolution counter with a known frequency, over the monotonic clock.
int64_t queryPerformanceFrequency(); // ticks per second (10^9)
int64_t queryPerformanceCounter();   // current reading in ticks
