#pragma once

// GLUT display callback: sky, light, camera, marker sphere, water, overlay, swap.
void display();
