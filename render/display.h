#pragma once

#include "app/program.h"

// One frame of the program: sky, light, camera, marker sphere, water, walls,
// frame rate, the overlay when on, swap.
void drawFrame(Program& program);

// GLUT display callback: a frame of the active program.
void display();
