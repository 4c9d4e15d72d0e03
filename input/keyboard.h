#pragma once

// GLUT keyboard callback; keys are matched exactly, case included.
void keyboard(unsigned char key, int x, int y);

// GLUT special-key callback: F1 to F5 load the presets.
void special(int key, int x, int y);
