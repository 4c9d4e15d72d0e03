#include "sim/boundaries.h"

#include "app/state.h"

void applyBoundaries()
{
    const int last = GRID_SIZE - 1;
    // Rows first, then columns: each corner ends with its diagonal inner neighbour.
    for (int x = 0; x < GRID_SIZE; ++x) {
        h[cellIndex(x, 0)] = h[cellIndex(x, 1)];
        h[cellIndex(x, last)] = h[cellIndex(x, last - 1)];
    }
    for (int y = 0; y < GRID_SIZE; ++y) {
        h[cellIndex(0, y)] = h[cellIndex(1, y)];
        h[cellIndex(last, y)] = h[cellIndex(last - 1, y)];
    }
}
