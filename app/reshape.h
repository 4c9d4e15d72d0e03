#pragma once

#include "app/program.h"

// The window's new size: viewport and perspective projection follow it, the far
// plane the program's basin (render/camera.h).
void resizeView(Program& program, int width, int height);

// GLUT reshape callback, for the active program.
void reshape(int width, int height);
