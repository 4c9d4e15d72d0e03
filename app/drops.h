#pragma once

// The program's drops on its basin (app/state.h): the key 'd' and the middle button.

// Raises a patch of the program's basin (Basin::addDrop).
void addDrop(int cx, int cy, int r, float increment);

// Key 'd': a drop at a random place.
void randomDrop();

// Middle button: a drop under the pointer (window pixels, origin top-left);
// prints "2D drop x/y<cx> <cy>".
void dropAtPointer(int x, int y);

// A value in [lo, hi) from the program's drop generator.
float randomFloat(float lo, float hi);
