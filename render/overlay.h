#pragma once

// The help and status overlay that 'h' toggles: the keys, the colour mode and
// what it shows, pause, the basin's size, threads, steps per second and the pen.

#include <string>
#include <vector>

#include "app/program.h"

// The overlay's lines, top first. GL-free.
std::vector<std::string> overlayLines(const Program& program);

// Draws the lines at the window's top left over a pale panel.
void drawOverlay(const Program& program);
