#pragma once

// How many threads a basin's step uses when its settings leave it open.

// The most that the front ends and saved states accept: far more than any
// machine here has, and few enough that a bad count cannot exhaust the system.
constexpr int MAX_THREADS = 4096;

// This machine's cores, as OpenMP counts them.
int availableThreads();

// Every core for a basin large enough that bands pay for their start, else one.
int defaultThreads(int width, int height);
