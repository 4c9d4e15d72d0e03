#pragma once

// GLUT keyboard callback; keys are matched exactly, case included.
void keyboard(unsigned char key, int x, int y);
