#pragma once

// GLUT reshape callback: viewport and perspective projection follow the window.
void reshape(int width, int height);
