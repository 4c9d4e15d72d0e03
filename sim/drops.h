#pragma once

// Single-precision value in [lo, hi) from one 15-bit draw of rand().
float randomFloat(float lo, float hi);

// Raises the 2r x 2r patch of columns cx-r..cx+r-1 and rows cy-r..cy+r-1 by
// increment, clipped to the grid and capped at 1.1.
void addDrop(int cx, int cy, int r, float increment);

// Key 'd': a drop at a random place.
void randomDrop();

// Middle button: a drop under the pointer (window pixels, origin top-left);
// prints "2D drop x/y<cx> <cy>".
void dropAtPointer(int x, int y);
