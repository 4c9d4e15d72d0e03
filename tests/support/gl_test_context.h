#pragma once

// Opens one GLUT window (double-buffered RGB with depth, like the program's) and
// makes its context current; later calls reuse it. Needs DISPLAY.
int ensureGlContext(int width = 640, int height = 480);

// Runs GLUT's event processing once, delivering pending callbacks.
void pumpGlutEvents();
