#pragma once

// The program's drops on its basin: the key 'd' and the middle button.

#include "app/program.h"

// Middle button: a drop under the pointer (window pixels, origin top-left),
// each pixel axis scaled to the basin's cells; prints "2D drop x/y<cx> <cy>".
// Nothing happens where the cell under the pointer is a wall.
void dropAtPointer(Program& program, int x, int y);
