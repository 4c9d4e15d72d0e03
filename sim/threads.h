#pragma once

// How many threads a basin's step uses when its settings leave it open.

// This machine's cores, as OpenMP counts them.
int availableThreads();

// Every core for a basin large enough that bands pay for their start, else one.
int defaultThreads(int width, int height);
